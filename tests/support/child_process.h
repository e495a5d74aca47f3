// A program started for a test with no display in its environment: its standard output and
// standard error read as they come, killed at the end when it is still running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // `binary` with `args`; standard output and standard error to pipes or to `outFd`, `errFd`.
  ChildProcess(const std::string& binary, const std::vector<std::string>& args, int errFd = -1,
               int outFd = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Reads standard error until `text` has appeared or the time is up.
  bool WaitForError(const std::string& text, std::chrono::milliseconds timeout);
  // The exit status once the program has ended within `timeout`; -1 if it is still running.
  int Wait(std::chrono::milliseconds timeout);

  pid_t pid() const { return pid_; }
  // Standard output as it comes, for a caller that reads it itself.
  int OutFd() const { return out_; }
  std::string out;
  std::string err;

 private:
  static bool ReadSome(int fd, std::string& to, int waitMs);

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  int status_ = -1;
};
