// Replacing a file whole: a temporary file beside it, renamed over it.
#include "watch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file gets: the old file's, or what the umask leaves of rw-rw-rw-.
mode_t modeFor(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        return status.st_mode & 07777;
    }
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Writes the temporary file and renames it over path; removes it on any failure.
bool writeAndRename(const std::string& path, const std::string& text, std::string* problem) {
    std::string templ = folderOf(path) + "/." + nameOf(path) + ".XXXXXX";
    std::vector<char> temporary(templ.begin(), templ.end());
    temporary.push_back('\0');
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        *problem = std::string("cannot create a file beside it: ") + std::strerror(errno);
        return false;
    }
    bool written = fchmod(fd, modeFor(path)) == 0 && writeAll(fd, text);
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && rename(temporary.data(), path.c_str()) == 0) {
        return true;
    }
    if (written) {
        error = errno;
    }
    unlink(temporary.data());
    *problem = std::strerror(error);
    return false;
}

} // namespace

bool replaceFile(const std::string& path, const std::string& text, std::string* problem) {
    // A signal between creating the temporary file and renaming it would leave it behind:
    // those that end the program wait, and act once the file is in place.
    sigset_t ending, before;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    sigprocmask(SIG_BLOCK, &ending, &before);
    bool done = writeAndRename(path, text, problem);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return done;
}
