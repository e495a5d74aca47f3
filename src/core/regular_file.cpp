#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TRegularFile::TRegularFile(const std::string& path) {
  // Look first, so a device is not even opened; then check what was opened, in case the path
  // changed in between. O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error_ = errno;
    return;
  }
  if (!S_ISREG(info.st_mode)) return;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error_ = S_ISREG(info.st_mode) ? errno : 0;
    ::close(fd);
    return;
  }
  fd_ = fd;
}

TRegularFile::~TRegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::string TRegularFile::Reason() const {
  return NotRegular() ? Tr(kNotRegularFile) : SystemErrorText(error_);
}

bool TRegularFile::ReadAll(std::string& text) {
  text.clear();
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd_, block, sizeof block);
    if (n > 0) {
      text.append(block, static_cast<size_t>(n));
    } else if (n == 0) {
      return true;
    } else if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
}

std::string SystemErrorText(int error) {
  return std::strerror(error);
}
