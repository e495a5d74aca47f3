#include "file_process.h"

#include "script_model.h"

namespace {

const char kWriteError[] = "1002: FileProcess: writeRow";
constexpr size_t kFlushSize = 64 * 1024;

}  // namespace

TFileProcess::~TFileProcess() {
  try {
    close();
  } catch (...) {
    // Nothing can report it here; the old file is still in place.
  }
}

EFPError TFileProcess::WriteError() const {
  const std::string& reason = file_.Reason();
  return EFPError(kWriteError, RecordSource.empty() ? reason : RecordSource + ": " + reason);
}

void TFileProcess::open() {
  // Closing left the buffer empty and the failure forgotten.
  if (!file_.Open(RecordSource)) throw WriteError();
  fileState = kFileOpen;
}

bool TFileProcess::writeRow(const std::string& row) {
  if (fileState == kFileClosed) open();
  if (failed_) throw WriteError();
  buffer_.append(row);
  buffer_.append("\r\n");
  if (buffer_.size() >= kFlushSize && !flush()) {
    failed_ = true;
    throw WriteError();
  }
  return true;
}

bool TFileProcess::flush() {
  const bool written = file_.Write(buffer_);
  buffer_.clear();
  return written;
}

void TFileProcess::close() {
  if (fileState == kFileClosed) return;
  const bool report = !failed_;
  const bool stored = !failed_ && flush() && file_.Commit();
  if (!stored) file_.Abandon();
  resetClosed();
  if (!stored && report) throw WriteError();
}

void TFileProcess::resetClosed() {
  buffer_ = std::string();  // gives the memory back, unlike clear()
  failed_ = false;
  fileState = kFileClosed;
}
