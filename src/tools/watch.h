// import -o and import --watch: the written logo.txt replaced whole, and kept up to date with
// the files it is made from.
#pragma once

#include <iosfwd>
#include <string>

struct ImportOptions;

// Puts text in place of path at once: written to a temporary file in the same folder, then
// renamed over path, so that a reader sees the old file or the new one, never a part. The
// new file keeps the old one's permissions (new ones follow the umask). SIGINT, SIGTERM and
// SIGHUP wait until the temporary file is renamed or removed. On failure path is unchanged,
// nothing is left behind and *problem says why.
bool replaceFile(const std::string& path, const std::string& text, std::string* problem);

// Imports once, then again after every save of the SVG file and of the font file (when the
// font is a file), writing outPath with replaceFile. Each import gives one line on err. Runs
// until SIGINT, SIGTERM or SIGHUP and then returns 0; returns 2 when nothing can be watched.
int watchImport(const ImportOptions& options, const std::string& outPath, std::ostream& err);
