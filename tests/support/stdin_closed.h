// Closes standard input for a scope, so that the next descriptor opened is 0, as it is in a
// program started with its standard input closed.
#pragma once

#include <fcntl.h>
#include <unistd.h>

class StdinClosed {
 public:
  StdinClosed() : saved_(::dup(0)) { ::close(0); }
  ~StdinClosed() {
    ::dup2(saved_, 0);
    ::close(saved_);
  }
  StdinClosed(const StdinClosed&) = delete;
  StdinClosed& operator=(const StdinClosed&) = delete;

 private:
  int saved_;
};

inline bool DescriptorOpen(int fd) {
  return ::fcntl(fd, F_GETFD) != -1;
}
