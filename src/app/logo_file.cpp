// Keeps the reader on the file that logo.txt names now. Most editors save by writing a new
// file and renaming it over the old one; a stream opened at start would read the old,
// deleted file for ever.
#include "logo_file.h"

#include "outline.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

const char* const logoFileName = "logo.txt";

// Device and inode of the open stream's file: together they say which file a name stands
// for, whatever its size or times. The inode cannot be given to another file while the
// stream holds it open, so a match means the same file.
bool following = false;
dev_t openDevice;
ino_t openInode;

// Notes which file stream reads; false when that cannot be known.
bool noteFile(FILE* stream) {
    struct stat opened;
    if (fstat(fileno(stream), &opened) != 0) {
        return false;
    }
    openDevice = opened.st_dev;
    openInode = opened.st_ino;
    return true;
}

} // namespace

bool openLogoFile() {
    FILE* stream = std::fopen(logoFileName, "r");
    if (stream == nullptr) {
        return false;
    }
    useOutlineStream(stream);
    following = noteFile(stream);
    return true;
}

// One stat per frame; a new stream only when the name has moved. A name that is briefly
// missing or cannot be opened leaves the old stream in use.
void followLogoFile() {
    struct stat named;
    if (!following || stat(logoFileName, &named) != 0 ||
        (named.st_dev == openDevice && named.st_ino == openInode)) {
        return;
    }
    FILE* stream = std::fopen(logoFileName, "r");
    if (stream == nullptr) {
        return;
    }
    std::fclose(outlineFile);
    useOutlineStream(stream);
    // The stream's own file, which may already differ from the one stat saw.
    following = noteFile(stream);
}
