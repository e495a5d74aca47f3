#include "file_process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "script_model.h"

namespace {

const char kWriteError[] = "1002: FileProcess: writeRow";
constexpr size_t kFlushSize = 64 * 1024;
constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A name for the new file in `folder` that nothing else uses, opened exclusively; -1 when the
// folder does not take new files.
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

TFileProcess::~TFileProcess() {
  try {
    close();
  } catch (...) {
    // Nothing can report it here; the old file is still in place.
  }
}

void TFileProcess::open() {
  if (RecordSource.empty()) throw EFPError(kWriteError);
  target_ = RecordSource;
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) throw EFPError(kWriteError);

  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe cannot be replaced, only written into.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) throw EFPError(kWriteError);
    temp_.clear();
  } else {
    if (exists) {
      // A read-only file stays protected, and a link keeps pointing at the new contents.
      if (::access(target_.c_str(), W_OK) != 0) throw EFPError(kWriteError);
      if (char* real = ::realpath(target_.c_str(), nullptr)) {
        target_ = real;
        std::free(real);
      }
    }
    fd_ = CreateUniqueFile(FolderOf(target_), temp_);
    if (fd_ < 0) throw EFPError(kWriteError);
    if (exists) ::fchmod(fd_, existing.st_mode & 07777);
  }
  buffer_.clear();
  failed_ = false;
  fileState = kFileOpen;
}

bool TFileProcess::writeRow(const std::string& row) {
  if (fileState == kFileClosed) open();
  if (failed_) throw EFPError(kWriteError);
  buffer_.append(row);
  buffer_.append("\r\n");
  if (buffer_.size() >= kFlushSize && !flush()) {
    failed_ = true;
    throw EFPError(kWriteError);
  }
  return true;
}

bool TFileProcess::flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

void TFileProcess::close() {
  if (fileState == kFileClosed) return;
  const bool replacing = !temp_.empty();
  bool stored = !failed_ && flush() && (!replacing || ::fsync(fd_) == 0);
  stored = ::close(fd_) == 0 && stored;
  if (replacing) {
    stored = stored && std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!stored) ::unlink(temp_.c_str());
  }
  const bool report = !stored && !failed_;
  resetClosed();
  if (report) throw EFPError(kWriteError);
}

void TFileProcess::resetClosed() {
  fd_ = -1;
  target_.clear();
  temp_.clear();
  buffer_.clear();
  buffer_.shrink_to_fit();
  failed_ = false;
  fileState = kFileClosed;
}
