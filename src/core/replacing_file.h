// A file written beside its target and put in place only when complete, so a failure part-way
// (a crash, a full disk) never leaves the target truncated.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TReplacingFile {
 public:
  TReplacingFile() = default;
  // Drops a file that was not committed; the target stays as it was.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Starts the new file for `target`. False when it cannot be written: the target is no
  // regular file (a folder, a FIFO, a device) or read-only, or its folder takes no new files.
  // A link keeps pointing at the new contents, and the new file takes the old one's
  // permissions and, where the writer may give them, its owner and group. New files that
  // crashed runs left in the folder are removed first.
  bool Open(const std::string& target);
  bool IsOpen() const { return fd_ >= 0; }
  bool Write(std::string_view data);
  // Syncs the new file and renames it over the target. On failure the new file is removed.
  bool Commit();
  // For a file a power cut may cost (a hint kept for the next run, read with care): Commit
  // does not wait for the disk, which can take milliseconds on a busy one.
  void SkipSync() { durable_ = false; }
  // Removes the new file; the target stays as it was.
  void Abandon();
  // Why the last Open, Write or Commit failed: "not a regular file", "no file name" or the
  // system's text for the error.
  const std::string& Reason() const { return reason_; }

 private:
  int fd_ = -1;
  bool durable_ = true;
  std::string target_;
  std::string temp_;
  std::string reason_;

  bool Fail(std::string reason);
  bool FailWithErrno();
};
