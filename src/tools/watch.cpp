// import --watch: the folders of the SVG and font files watched by name with inotify, a burst
// of events settled into one import, signals read from a signalfd so that the wait ends at
// once and never inside a write.
#include "watch.h"

#include "import.h"
#include "layout.h"
#include "outline.h"
#include "pipeline.h"
#include "writer.h"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <ostream>
#include <sstream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

// Once a file is closed or renamed into place, the rest of the same save (a second file, a
// rename after a write) follows within milliseconds. A file still open for writing gets
// longer; events that never stop still give an import after the longest wait.
constexpr Millis settleSaved{20};
constexpr Millis settleWriting{300};
constexpr Millis longestWait{2000};
constexpr Millis retryFolder{500}; // between attempts to watch a folder that went away

constexpr uint32_t folderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_MODIFY | IN_DELETE |
                                  IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                  IN_EXCL_UNLINK;

struct WatchedFile {
    std::string path, folder, name;
    int wd = -1; // -1: the folder is not watched (it went away)
};

struct Watch {
    ImportOptions options;
    std::string outPath;
    std::vector<WatchedFile> files;
    int inotify = -1;
    int signals = -1;
    bool pending = true; // an import is due at `due`
    Clock::time_point first, due;
    Clock::time_point nextRetry;
    bool waitingSaid = false; // "waiting for" said since the last import
};

std::string stamp() {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char text[16];
    strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

bool isFontFile(const std::string& font) {
    struct stat status;
    return font.find('/') != std::string::npos ||
           (stat(font.c_str(), &status) == 0 && S_ISREG(status.st_mode));
}

WatchedFile watchedFile(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {path, ".", path};
    }
    return {path, slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

void schedule(Watch* watch, Millis settle) {
    Clock::time_point now = Clock::now();
    if (!watch->pending) {
        watch->pending = true;
        watch->first = now;
    }
    watch->due = std::min(now + settle, watch->first + longestWait);
}

// Signals that end the watch are blocked and read from a descriptor instead, so that they
// wake the wait and never cut an import or a write short.
bool openDescriptors(Watch* watch, std::ostream& err) {
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    watch->signals = signalfd(-1, &ending, SFD_CLOEXEC | SFD_NONBLOCK);
    watch->inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch->signals < 0 || watch->inotify < 0) {
        err << failureLine(std::string("cannot watch: ") + std::strerror(errno)) << "\n";
        return false;
    }
    for (WatchedFile& file : watch->files) {
        file.wd = inotify_add_watch(watch->inotify, file.folder.c_str(), folderEvents);
        if (file.wd < 0) {
            err << failureLine("cannot watch the folder " + file.folder + " of " + file.path +
                               ": " + std::strerror(errno))
                << "\n";
            return false;
        }
    }
    return true;
}

void noteEvent(Watch* watch, const inotify_event& event, std::ostream& err) {
    if (event.mask & IN_Q_OVERFLOW) {
        schedule(watch, settleSaved); // events were lost: look at the files again
        return;
    }
    for (WatchedFile& file : watch->files) {
        if (file.wd != event.wd) {
            continue;
        }
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
            // The name no longer leads to this folder: watched again by name once it does.
            inotify_rm_watch(watch->inotify, event.wd);
        } else if (event.mask & IN_IGNORED) {
            err << stamp() << " " << file.folder << ": folder gone; waiting for it\n";
            file.wd = -1;
            watch->nextRetry = Clock::now() + retryFolder;
        } else if (event.len > 0 && file.name == event.name) {
            bool saved = event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM);
            schedule(watch, saved ? settleSaved : settleWriting);
        }
    }
}

void readEvents(Watch* watch, std::ostream& err) {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        ssize_t got = read(watch->inotify, buffer, sizeof buffer);
        if (got <= 0) {
            return; // drained (EAGAIN), or nothing to read
        }
        for (char* at = buffer; at < buffer + got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
            noteEvent(watch, *event, err);
            at += sizeof(inotify_event) + event->len;
        }
    }
}

void rewatchFolders(Watch* watch) {
    if (Clock::now() < watch->nextRetry) {
        return;
    }
    for (WatchedFile& file : watch->files) {
        if (file.wd < 0) {
            file.wd = inotify_add_watch(watch->inotify, file.folder.c_str(), folderEvents);
            if (file.wd >= 0) {
                schedule(watch, settleSaved);
            }
        }
    }
    watch->nextRetry = Clock::now() + retryFolder;
}

// How long poll may wait: until the import is due or a lost folder is tried again.
int waitMillis(const Watch& watch) {
    Clock::time_point now = Clock::now();
    Clock::time_point until = Clock::time_point::max();
    if (watch.pending) {
        until = watch.due;
    }
    for (const WatchedFile& file : watch.files) {
        if (file.wd < 0) {
            until = std::min(until, watch.nextRetry);
        }
    }
    if (until == Clock::time_point::max()) {
        return -1;
    }
    // Rounded up: a wait that ends early would only come back with nothing to do.
    auto left = std::chrono::ceil<Millis>(until - now).count();
    return static_cast<int>(std::max<decltype(left)>(left, 0));
}

// The program keeps in its tables whatever an earlier file put past the end of the current
// one, so a logo with fewer points than the one before would show the rest of the old one.
// The watch fills every slot: each table's unused slots become one flat polygon at the
// centre of the view, which draws nothing.
std::string filledTables(const Layout& layout) {
    std::ostringstream logo;
    writeLogo(layout, logo);
    char x[outlineFieldBuffer], y[outlineFieldBuffer], line[outlinePointLineBuffer];
    fieldText(viewCentreX, x);
    fieldText(viewCentreY, y);
    writePointLine(x, y, line);
    const std::string point = line;
    std::string filled = logo.str();
    const int slots = outlineCapacity;
    for (auto [header, used] :
         {std::pair{"P\n", pTablePoints(layout)}, {"TP\n", tpTablePoints(layout)}}) {
        if (used < slots) {
            filled += header;
            for (int i = used; i < slots; ++i) {
                filled += point;
            }
        }
    }
    return filled;
}

// What went wrong as one line naming the file: a failure of no file's line is said of the
// SVG file, unless it is about the font.
std::string namedFailure(const ImportOptions& options, const ImportFailure& failure) {
    if (!failure.file.empty()) {
        return failureLine(failure);
    }
    if (failure.what.compare(0, 6, "--font") == 0 || options.svgPath.empty()) {
        return failure.what;
    }
    return options.svgPath + ": " + failure.what;
}

// The readers and the chain; the failure, if any, in *failure.
bool importLayout(const ImportOptions& options, Layout* layout, double* fidelity,
                  ImportFailure* failure) {
    ImportInput input = readInput(options);
    if (input.failed) {
        *failure = input.failure;
        return false;
    }
    LogoBuild build = buildLogo(input.parts, input.ink, {options.minFidelity});
    if (build.refusal != Refusal::none) {
        *failure = refusalOf(input.parts, build);
        return false;
    }
    *layout = std::move(build.chosen.layout);
    *fidelity = build.fidelity.overall;
    return true;
}

void importOnce(Watch* watch, std::ostream& err) {
    for (const WatchedFile& file : watch->files) {
        struct stat status;
        if (stat(file.path.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                continue; // the import says what is wrong
            }
            if (!watch->waitingSaid) {
                err << stamp() << " " << file.path << ": not there; waiting for it\n";
            }
            watch->waitingSaid = true;
            return;
        }
        // Opening a pipe put in the file's place would wait for a writer without end.
        if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
            err << stamp() << " " << file.path << ": not a plain file; " << watch->outPath
                << " not changed\n";
            return;
        }
    }
    watch->waitingSaid = false;
    Clock::time_point started = Clock::now();
    Layout layout;
    double fidelity = 0;
    ImportFailure failure;
    bool imported = false;
    try {
        imported = importLayout(watch->options, &layout, &fidelity, &failure);
    } catch (const std::exception& error) {
        failure.what = error.what();
    }
    const std::string& out = watch->outPath;
    std::string problem;
    if (!imported) {
        err << stamp() << " " << namedFailure(watch->options, failure) << "; " << out
            << " not changed\n";
    } else if (!replaceFile(out, filledTables(layout), &problem)) {
        err << stamp() << " cannot write " << out << ": " << problem << "\n";
    } else {
        auto took = std::chrono::duration_cast<Millis>(Clock::now() - started).count();
        char measured[32];
        std::snprintf(measured, sizeof measured, "%.3f", fidelity);
        err << stamp() << " " << out << ": P " << pTablePoints(layout) << " and TP "
            << tpTablePoints(layout) << " points, fidelity " << measured << " (" << took
            << " ms)\n";
    }
}

// Reads the signals that ended the watch, so that none is left pending.
void drainSignals(int fd) {
    signalfd_siginfo info[4];
    while (read(fd, info, sizeof info) > 0) {
    }
}

} // namespace

int watchImport(const ImportOptions& options, const std::string& outPath, std::ostream& err) {
    Watch watch;
    watch.options = options;
    watch.outPath = outPath;
    if (!options.svgPath.empty()) {
        watch.files.push_back(watchedFile(options.svgPath));
    }
    if (!options.text.empty() && isFontFile(options.font)) {
        watch.files.push_back(watchedFile(options.font));
    }
    if (watch.files.empty()) {
        err << failureLine("--watch needs an SVG file or a font file to watch") << "\n";
        return exitBadInput;
    }
    int status = exitBadInput;
    if (openDescriptors(&watch, err)) {
        watch.due = watch.first = Clock::now();
        for (;;) {
            pollfd waits[2] = {{watch.inotify, POLLIN, 0}, {watch.signals, POLLIN, 0}};
            if (poll(waits, 2, waitMillis(watch)) < 0 && errno != EINTR) {
                err << failureLine(std::strerror(errno)) << "\n";
                break;
            }
            if (waits[1].revents != 0) {
                drainSignals(watch.signals);
                status = 0;
                break;
            }
            readEvents(&watch, err);
            rewatchFolders(&watch);
            if (watch.pending && Clock::now() >= watch.due) {
                watch.pending = false;
                importOnce(&watch, err);
            }
        }
    }
    for (int fd : {watch.inotify, watch.signals}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    return status;
}
