#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <regex>
#include <string>
#include <vector>

// A program started by the benchmark, ended (SIGTERM, then SIGKILL) when it goes out of scope.
class ChildProcess {
  public:
    // Starts `program` with `args`, the benchmark's environment changed by `env` (an empty value
    // removes the variable), its output into `logFile`. A `passFd` of 0 or more is handed to the
    // program as its descriptor 3. Throws std::runtime_error.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env, const std::string& logFile,
                 int passFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Ends the program (SIGTERM, SIGKILL after a second) and waits for it: its exit status, or -1
    // when a signal ended it (the SIGKILL, or another before) or it was never started.
    int stop();
    // Waits for the program to end by itself; its exit status, or -1.
    int wait();

  private:
    pid_t pid_ = -1;
    int exitStatus_ = -1;  // of the program once it has ended and been waited for
};

// Runs a program to its end and returns its exit status (-1 when it could not run).
int runToEnd(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::string& logFile);

// Reads a program's log until a line matches `pattern`, for up to `limit`: the first capture of
// the match, or the whole line when the pattern has none. Throws std::runtime_error on time-out.
std::string waitForLogLine(const std::string& logFile, const std::regex& pattern,
                           std::chrono::milliseconds limit);
