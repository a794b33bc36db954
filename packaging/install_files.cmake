# Run at install time, so that the paths written into the manual pages and the desktop entry
# are those of the prefix installed to (CMAKE_INSTALL_PREFIX here), whatever the build was
# configured with: /usr for the Debian package, the --prefix of cmake --install.
# Set by the caller: sourceDir, stageDir, dataDir, manDir, docDir, pages.
set(SAMPLE_DIR "${CMAKE_INSTALL_PREFIX}/${dataDir}/logotipo")
set(SAMPLE_LOGO "${SAMPLE_DIR}/logo.txt")

# Compressed as Debian wants them; -n keeps names and times out, so the output repeats.
function(installCompressed source destination)
  get_filename_component(name "${source}" NAME)
  execute_process(COMMAND gzip -9n -c "${source}" OUTPUT_FILE "${stageDir}/${name}.gz"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${source}")
  endif()
  file(INSTALL "${stageDir}/${name}.gz" DESTINATION "${CMAKE_INSTALL_PREFIX}/${destination}")
endfunction()

# One folder per destination, as installs may run side by side (the tests do).
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(stageDir "${stageDir}/${destination}")
file(MAKE_DIRECTORY "${stageDir}")
foreach(page IN LISTS pages)
  configure_file("${sourceDir}/man/${page}.1.in" "${stageDir}/${page}.1" @ONLY)
  installCompressed("${stageDir}/${page}.1" "${manDir}/man1")
endforeach()
configure_file("${sourceDir}/packaging/logotipo.desktop.in" "${stageDir}/logotipo.desktop" @ONLY)
file(INSTALL "${stageDir}/logotipo.desktop" DESTINATION "${CMAKE_INSTALL_PREFIX}/${dataDir}/applications")
installCompressed("${sourceDir}/packaging/changelog.Debian" "${docDir}")
