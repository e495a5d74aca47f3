#include "replacing_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string_view>
#include <utility>

#include "regular_file.h"

namespace {

constexpr int kNameAttempts = 100;
constexpr std::string_view kTempPrefix = ".vantrel-";
constexpr std::string_view kTempSuffix = ".tmp";
// A new file without a process number in its name (one of an older version) is taken for
// left behind once it is this old; a write takes milliseconds.
constexpr time_t kUnnamedStaleSeconds = 60;

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
    // The process number in the name tells a later run whether the writer is still there.
    std::string candidate =
        folder + "/" + std::string(kTempPrefix) + std::to_string(::getpid()) + "-";
    for (int i = 0; i < 8; ++i) candidate += kDigits[random() % (sizeof kDigits - 1)];
    candidate += kTempSuffix;
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Whether the new file `name` in `folder` was left by a run that ended before putting it in
// place: its writer's process is gone, or, without a process number, it is old.
bool LeftBehind(const std::string& folder, std::string_view name) {
  if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || !name.starts_with(kTempPrefix) ||
      !name.ends_with(kTempSuffix)) {
    return false;
  }
  struct stat info {};
  const std::string path = folder + "/" + std::string(name);
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
  const size_t dash = name.find('-');
  if (dash == std::string_view::npos) {
    return std::time(nullptr) - info.st_mtime > kUnnamedStaleSeconds;
  }
  pid_t pid = 0;
  for (const char c : name.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 10000000) return false;
    pid = pid * 10 + (c - '0');
  }
  return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes what crashed runs left beside the files of `folder`.
void RemoveLeftBehind(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (LeftBehind(folder, entry->d_name)) ::unlink((folder + "/" + entry->d_name).c_str());
  }
  ::closedir(dir);
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
  if (target.empty()) return Fail(Tr("no file name"));
  target_ = target;
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  // A FIFO would hold the program until a reader came; a device is no place for a file.
  if (exists && !S_ISREG(existing.st_mode)) return Fail(Tr(kNotRegularFile));
  if (exists) {
    if (::access(target_.c_str(), W_OK) != 0) return FailWithErrno();
    if (char* real = ::realpath(target_.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
  }
  RemoveLeftBehind(FolderOf(target_));
  fd_ = CreateUniqueFile(FolderOf(target_), temp_);
  if (fd_ < 0) return FailWithErrno();
  if (exists) {
    // A privileged run writing a user's file leaves it the user's. Unprivileged, this fails
    // only where the owner could not be the writer's own anyway. The mode goes last: a change
    // of owner clears set-id bits.
    const bool ownerKept = ::fchown(fd_, existing.st_uid, existing.st_gid) == 0;
    if (!ownerKept && ::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid) != 0) {
      errno = 0;  // not the writer's group either: the new file is the writer's own
    }
    ::fchmod(fd_, existing.st_mode & 07777);
  }
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
  int error = !durable_ || ::fsync(fd_) == 0 ? 0 : errno;
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
