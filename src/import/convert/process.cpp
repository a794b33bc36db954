// process: another program run with fork and exec on an argument vector, bounded in time,
// memory and output, in a folder of its own that is removed afterwards.
#include "process.h"

#include "drawing.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace {

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// The child's side, between fork and exec: only calls that are safe there.
[[noreturn]] void becomeProgram(const char* path, char* const* argv, char* const* envp,
                                const char* folder, int out, int err, const ProgramLimits& limits) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr); // the watch blocks the signals that end it
    signal(SIGPIPE, SIG_DFL);
    int nothing = open("/dev/null", O_RDONLY);
    if (nothing < 0 || dup2(nothing, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(folder) != 0) {
        _exit(127);
    }
    rlimit file{static_cast<rlim_t>(limits.fileBytes), static_cast<rlim_t>(limits.fileBytes)};
    rlimit memory{static_cast<rlim_t>(limits.memoryBytes), static_cast<rlim_t>(limits.memoryBytes)};
    // The processor time a little past the wall-clock limit: a guard should the parent die.
    rlim_t seconds = static_cast<rlim_t>(limits.seconds) + 5;
    rlimit cpu{seconds, seconds};
    setrlimit(RLIMIT_FSIZE, &file);
    setrlimit(RLIMIT_AS, &memory);
    setrlimit(RLIMIT_CPU, &cpu);
    execve(path, argv, envp);
    _exit(127);
}

// Appends what fd has to read to kept, up to limit bytes; false once the writer has closed it.
bool drain(int fd, std::string* kept, size_t limit) {
    char chunk[16384];
    ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0) {
        return errno == EINTR || errno == EAGAIN;
    }
    if (got == 0) {
        return false;
    }
    size_t room = kept->size() < limit ? limit - kept->size() : 0;
    kept->append(chunk, std::min(room, static_cast<size_t>(got)));
    return true;
}

// Waits for pid to end until the deadline, then kills it; fills in how it ended.
void reap(pid_t pid, double deadline, ProgramRun* run) {
    int status = 0;
    for (;;) {
        pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) {
            break;
        }
        if (ended < 0 && errno != EINTR) {
            return;
        }
        if (ended == 0 && now() >= deadline) {
            run->timedOut = true;
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        if (ended == 0) {
            usleep(2000);
        }
    }
    if (WIFEXITED(status)) {
        run->exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run->signal = WTERMSIG(status);
    }
}

} // namespace

PrivateFolder::PrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/logotipo-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        throw ImportError(0, "cannot make a temporary folder in " +
                                 pattern.substr(0, pattern.size() - 16) + ": " +
                                 std::strerror(errno));
    }
    path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string PrivateFolder::write(const std::string& name, const std::string& bytes) const {
    std::string file = path_ + "/" + name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw ImportError(0, "cannot write a temporary copy in " + path_);
    }
    return file;
}

bool PrivateFolder::read(const std::string& name, size_t limit, std::string* bytes) const {
    std::ifstream in(path_ + "/" + name, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes->clear();
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes->append(chunk, static_cast<size_t>(in.gcount()));
        if (bytes->size() > limit) {
            return false;
        }
    }
    return !in.bad();
}

std::string findProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0 ? program : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        end = end == std::string::npos ? folders.size() : end;
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        struct stat status;
        if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return std::string();
}

ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& folder,
                      const ProgramLimits& limits) {
    ProgramRun run;
    std::string path = findProgram(arguments.at(0));
    if (path.empty()) {
        return run;
    }
    // Everything the child needs is made before the fork.
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::string tmpdir = "TMPDIR=" + folder;
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "TMPDIR=", 7) != 0) {
            envp.push_back(*entry);
        }
    }
    envp.push_back(const_cast<char*>(tmpdir.c_str()));
    envp.push_back(nullptr);

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return run;
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    double deadline = now() + limits.seconds;
    pid_t pid = fork();
    if (pid == 0) {
        becomeProgram(path.c_str(), argv.data(), envp.data(), folder.c_str(), out[1], err[1],
                      limits);
    }
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(out[0]);
        close(err[0]);
        return run;
    }
    run.started = true;
    pollfd waits[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* kept[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        int left = static_cast<int>((deadline - now()) * 1000);
        if (left <= 0) {
            break;
        }
        int ready = poll(waits, 2, left);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (waits[i].fd >= 0 && (waits[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                !drain(waits[i].fd, kept[i], limits.printedBytes)) {
                close(waits[i].fd);
                waits[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& wait : waits) {
        if (wait.fd >= 0) {
            close(wait.fd);
        }
    }
    reap(pid, deadline, &run);
    if (run.exitStatus == 127 && run.err.empty()) {
        run.started = false;
    }
    return run;
}

std::string lastLine(const std::string& printed) {
    size_t end = printed.size();
    while (end > 0) {
        size_t start = printed.rfind('\n', end - 1);
        start = start == std::string::npos ? 0 : start + 1;
        std::string line = printed.substr(start, end - start);
        size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos) {
            line = line.substr(first);
            while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) {
                line.pop_back();
            }
            for (char& c : line) {
                if (static_cast<unsigned char>(c) < 32) {
                    c = ' ';
                }
            }
            return line.size() > 160 ? line.substr(0, 157) + "..." : line;
        }
        end = start > 0 ? start - 1 : 0;
    }
    return std::string();
}
