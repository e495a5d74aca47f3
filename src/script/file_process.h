// The line writer through which scripts are saved.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "replacing_file.h"

class EFPError;

inline constexpr uint8_t kFileClosed = 255;
inline constexpr uint8_t kFileOpen = 1;

class TFileProcess {
 public:
  using TProcessRowEvent = std::function<void(TFileProcess* sender, const std::string& row)>;
  using TEndOfRecordsetEvent = std::function<void(TFileProcess* sender)>;

  TFileProcess() = default;
  // Closes an open file first, as close does, but never throws.
  ~TFileProcess();
  TFileProcess(const TFileProcess&) = delete;
  TFileProcess& operator=(const TFileProcess&) = delete;

  // Writes `row` and CR LF. The first call opens a new file beside RecordSource; the target
  // itself is replaced only by close, so a save that fails part-way leaves it as it was.
  // Every failure raises EFPError "1002: FileProcess: writeRow" with the file and the reason
  // as its detail; the result is always true. A FIFO or a device is refused.
  bool writeRow(const std::string& row);
  // Finishes the file and puts it in place of RecordSource. After a failed writeRow the new
  // file is removed instead. Raises "1002: FileProcess: writeRow" when the rows written so far
  // cannot be stored. Does nothing when no file is open.
  void close();

  std::string RecordSource;
  uint8_t fileState = kFileClosed;
  // Declared for the component's users; nothing in the program assigns or fires them.
  TProcessRowEvent OnProcessRow;
  TEndOfRecordsetEvent OnEndOfRecordset;

 private:
  void open();
  EFPError WriteError() const;
  bool flush();
  void resetClosed();

  TReplacingFile file_;
  std::string buffer_;
  bool failed_ = false;
};
