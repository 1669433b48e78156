#pragma once

#include <sys/types.h>

#include <map>
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
    // Ends the program and waits for it.
    void stop();
    // Waits for the program to end by itself; its exit status, or -1.
    int wait();

  private:
    pid_t pid_ = -1;
};

// Runs a program to its end and returns its exit status (-1 when it could not run).
int runToEnd(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::string& logFile);
