# What an installed desktop program has beyond the program: a desktop entry that starts it
# beside the sample logo, icons, the copyright file and changelog, the manual pages (all
# written at install time, for the prefix installed to), and the Debian package that
# `cpack -G DEB` makes of it all in the build folder.
set(pages logotipo logotipo-record)
if(LOGOTIPO_AUTHORING)
  list(APPEND pages logotipo-outline)
endif()
install(CODE "
  set(sourceDir \"${PROJECT_SOURCE_DIR}\")
  set(stageDir \"${PROJECT_BINARY_DIR}/install-files\")
  set(dataDir \"${CMAKE_INSTALL_DATADIR}\")
  set(manDir \"${CMAKE_INSTALL_MANDIR}\")
  set(docDir \"${CMAKE_INSTALL_DOCDIR}\")
  set(pages \"${pages}\")
  include(\"${PROJECT_SOURCE_DIR}/packaging/install_files.cmake\")")
foreach(size 48 128 256)
  install(FILES packaging/icons/logotipo-${size}.png RENAME logotipo.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME logotipo)
set(CPACK_PACKAGE_VENDOR "The logotipo authors")
set(CPACK_PACKAGE_CONTACT "The logotipo authors <logotipo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "institution's logo as a spinning, lit 3-D solid")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "logotipo shows the logo outlined in logo.txt, a plain text file of polygons\n"
       "read again for every frame, as striped slabs lit by two lights that spin and\n"
       "pulse in a window. logotipo-outline writes and checks such files.\n"
       "logotipo-record records the program's frames as a GIF, WebP, MP4 or PNG.\n"
       "A sample logo is included.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The staging install gets the real prefix, so that the paths written at install time are
# those of the installed package.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages come from dpkg-shlibdeps; logotipo-record's tools are added.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "apitrace, xvfb, xdotool, ffmpeg")
# import runs them on PDF, AI and EPS files, and says so in one line when they are missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "poppler-utils, ghostscript")
include(CPack)
