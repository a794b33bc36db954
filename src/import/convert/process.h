// Running another program as a separate process, with no shell: an argument vector, a time
// limit, caps on what it prints and on every file it writes, in a private folder that goes
// away with it.
#pragma once

#include <string>
#include <vector>

struct ProgramLimits {
    double seconds = 30;               // wall-clock time before it is killed
    long long fileBytes = 64LL << 20;  // the largest file it may write (RLIMIT_FSIZE)
    long long memoryBytes = 2LL << 30; // its address space (RLIMIT_AS)
    size_t printedBytes = 1 << 20;     // standard output and error kept, each; more is dropped
};

struct ProgramRun {
    bool started = false; // false: the program is not installed or could not be started
    int exitStatus = -1;  // when it exited; -1 when a signal ended it
    int signal = 0;       // the signal that ended it, 0 if none
    bool timedOut = false;
    std::string out, err; // what it printed, up to ProgramLimits::printedBytes each
};

// A folder of its own under $TMPDIR (or /tmp), removed with everything in it when this goes.
class PrivateFolder {
  public:
    PrivateFolder(); // throws ImportError when it cannot be made
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& path() const {
        return path_;
    }
    // Writes a file of that name in the folder; throws ImportError when it cannot.
    std::string write(const std::string& name, const std::string& bytes) const;
    // Reads a file of the folder back, up to limit bytes; false when it is missing or larger.
    bool read(const std::string& name, size_t limit, std::string* bytes) const;

  private:
    std::string path_;
};

// The path of program in $PATH, or empty when it is not there.
std::string findProgram(const std::string& program);

// Runs arguments[0] (looked up in $PATH) with the arguments, in folder as its working folder
// and its TMPDIR, standard input empty, and waits for it to end or for the time limit.
ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& folder,
                      const ProgramLimits& limits = ProgramLimits());

// The last line of what a program printed on standard error that says something, cut to a
// readable length; empty when it printed nothing.
std::string lastLine(const std::string& printed);
