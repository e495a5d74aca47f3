// Opening a file that must be a plain file before reading it: a FIFO would block the program
// until some writer came, and a device such as /dev/zero never ends.
#pragma once

#include <cerrno>
#include <string>

#include "translate.h"

class TRegularFile {
 public:
  // Opens `path` for reading; a link to a regular file will do. Never blocks.
  explicit TRegularFile(const std::string& path);
  ~TRegularFile();
  TRegularFile(const TRegularFile&) = delete;
  TRegularFile& operator=(const TRegularFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Why it did not open: the errno of the open, or 0 when the path is something else than a
  // regular file (a folder, a FIFO, a device).
  int error() const { return error_; }
  bool Missing() const { return error_ == ENOENT || error_ == ENOTDIR; }
  bool NotRegular() const { return !IsOpen() && error_ == 0; }
  // "not a regular file" or the system's text for the errno.
  std::string Reason() const;

  // The whole file; false with errno in error() when a read fails.
  bool ReadAll(std::string& text);

 private:
  int fd_ = -1;
  int error_ = 0;
};

// In English; Tr() gives the user's words.
inline constexpr const char* kNotRegularFile = TrNoop("not a regular file");

// The system's text for an errno ("Permission denied").
std::string SystemErrorText(int error);
