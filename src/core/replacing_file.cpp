#include "replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>

#include "regular_file.h"

namespace {

constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A name in `folder` that nothing else uses, opened exclusively; -1 when the folder takes no
// new files.
int CreateUniqueFile(const std::string& folder, std::string& name) {
  static std::mt19937 random{std::random_device{}()};
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = folder + "/.vantrel-";
    for (int i = 0; i < 8; ++i) candidate += kDigits[random() % (sizeof kDigits - 1)];
    candidate += ".tmp";
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

TReplacingFile::~TReplacingFile() {
  Abandon();
}

bool TReplacingFile::Fail(std::string reason) {
  reason_ = std::move(reason);
  return false;
}

bool TReplacingFile::FailWithErrno() {
  return Fail(SystemErrorText(errno));
}

bool TReplacingFile::Open(const std::string& target) {
  Abandon();
  reason_.clear();
  if (target.empty()) return Fail("no file name");
  target_ = target;
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  // A FIFO would hold the program until a reader came; a device is no place for a file.
  if (exists && !S_ISREG(existing.st_mode)) return Fail(kNotRegularFile);
  if (exists) {
    if (::access(target_.c_str(), W_OK) != 0) return FailWithErrno();
    if (char* real = ::realpath(target_.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
  }
  fd_ = CreateUniqueFile(FolderOf(target_), temp_);
  if (fd_ < 0) return FailWithErrno();
  if (exists) ::fchmod(fd_, existing.st_mode & 07777);
  return true;
}

bool TReplacingFile::Write(std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailWithErrno();
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool TReplacingFile::Commit() {
  if (fd_ < 0) return Fail(SystemErrorText(EBADF));
  int error = ::fsync(fd_) == 0 ? 0 : errno;
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  if (error == 0 && std::rename(temp_.c_str(), target_.c_str()) != 0) error = errno;
  if (error != 0) ::unlink(temp_.c_str());
  temp_.clear();
  target_.clear();
  return error == 0 || Fail(SystemErrorText(error));
}

void TReplacingFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
  fd_ = -1;
  temp_.clear();
  target_.clear();
}
