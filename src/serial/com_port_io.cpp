// Writing and reading: the blocking write, the read, status queries and cancelling.
#include "com_port.h"

#include <algorithm>
#include <cerrno>

#include "com_error.h"
#include "com_thread.h"
#include "main_thread_queue.h"

std::unique_ptr<TIoRequest> NewIoRequest() {
  return std::make_unique<TIoRequest>();
}

TComErrors LineErrorsBetween(const TLineCounters& before, const TLineCounters& now,
                             bool checkParity) {
  TComErrors errors;
  if (now.frame != before.frame) errors.Add(errFrame);
  if (checkParity && now.parity != before.parity) errors.Add(errRxParity);
  if (now.overrun != before.overrun) errors.Add(errOverrun);
  if (now.brk != before.brk) errors.Add(errBreak);
  if (now.bufOverrun != before.bufOverrun) errors.Add(errRxOver);
  return errors;
}

int TCustomComPort::SendText(const ByteString& text) {
  TIoRequest request;
  try {
    StartTextWrite(text, &request);
    return AwaitCompletion(&request);
  } catch (...) {
    writing_ = false;
    throw;
  }
}

int TCustomComPort::StartTextWrite(const ByteString& text, TIoRequest* request) {
  if (text.empty()) return 0;
  const int count = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
  return StartWrite(text.data(), count, request);
}

int TCustomComPort::StartWrite(const char* bytes, int count, TIoRequest* request) {
  if (!request) throw EComPort(4);
  request->kind = ioWrite;
  request->data = bytes;
  request->size = std::max(count, 0);
  const TComTimeouts& t = *timeouts_;
  const auto multiplier = static_cast<uint32_t>(t.WriteTotalMultiplier());
  const auto constant = static_cast<uint32_t>(t.WriteTotalConstant());
  request->hasDeadline = multiplier != 0 || constant != 0;
  if (request->hasDeadline) {
    const uint64_t totalMs = uint64_t{multiplier} * static_cast<uint32_t>(request->size) + constant;
    request->deadline = TComClock::now() +
                        std::chrono::milliseconds(std::min<uint64_t>(totalMs, INT64_MAX / 2000000));
  }
  size_t written = 0;
  if (const int error = device_.StartWrite(bytes, static_cast<size_t>(request->size), &written)) {
    FailWrite(error);
  }
  request->transferred = written;
  request->started = true;
  writing_ = true;
  LinkStateChanged(clTx, true);
  return static_cast<int>(written);
}

int TCustomComPort::AwaitCompletion(TIoRequest* request) {
  if (!request) throw EComPort(4);
  if (!request->started) return 0;
  if (request->kind == ioWrite) {
    bool timedOut = false;
    const int error = device_.FinishWrite(request->data, static_cast<size_t>(request->size),
                                          &request->transferred, request->deadline,
                                          request->hasDeadline, &timedOut);
    if (error != 0) FailWrite(error);
    writing_ = false;
    TransmitDone(!timedOut);
  } else {
    size_t got = 0;
    const int error = device_.Read(request->readBuffer, static_cast<size_t>(request->size), &got);
    if (error != 0) throw EComPort(3, error);
    request->transferred = DecodeReceived(request->readBuffer, got);
  }
  if (request->kind == ioRead && PendingInputCount() == 0) {
    LinkStateChanged(clRx, false);
  } else if (request->kind == ioWrite) {
    LinkTxData(request->data, request->size);
  }
  return static_cast<int>(request->transferred);
}

void TCustomComPort::TransmitDone(bool drained) {
  TComThread* thread = eventThread_.get();
  if (!thread || thread->Finished() || !thread->Wanted().Has(evTxEmpty)) return;
  if (!drained || syncMethod_ == smNone) {
    thread->WriteDone();  // it watches the queue drain, or runs the handlers itself
    return;
  }
  // The queue is empty and the handlers run on this thread anyway: queue the transmit-empty
  // dispatch here instead of waking the event thread to hand it back.
  calls_->Post([this, open = opens_] {
    if (open != opens_) return;  // closed meanwhile
    if (!eventThread_ || eventThread_->Finished()) return;
    if (syncMethod_ == smWindowSync) {
      HandleEventMessage(EventsToMask(TComEvents{evTxEmpty}));
      return;
    }
    try {
      if (connected_) RunEventStep(evTxEmpty);
    } catch (...) {
      // As for any event: the error ends event delivery until the port is reopened.
      if (open == opens_ && eventThread_) eventThread_->EndAfterHandlerError();
    }
  });
}

int TCustomComPort::ReceiveBytes(char* buffer, int count) {
  const auto request = NewIoRequest();
  StartRead(buffer, count, request.get());
  return AwaitCompletion(request.get());
}

int TCustomComPort::StartRead(char* buffer, int count, TIoRequest* request) {
  if (!request) throw EComPort(4);
  request->kind = ioRead;
  request->readBuffer = buffer;
  request->size = std::max(count, 0);
  if (!device_.IsOpen()) throw EComPort(3, EBADF);
  request->started = true;
  return 0;
}

size_t TCustomComPort::DecodeReceived(char* buffer, size_t count) {
  const bool replace = parity_->Check() && parity_->Replace();
  size_t out = 0;
  bool sawEventChar = false;
  auto emit = [&](char c) {
    if (discardNull_ && c == '\0') return;
    if (static_cast<uint8_t>(c) == eventChar_) sawEventChar = true;
    buffer[out++] = c;
  };
  if (device_.ChecksParity()) {
    markedInput_.Decode(std::string_view(buffer, count), received_);
    for (const TReceivedByte& b : received_) {
      emit(b.error && replace ? static_cast<char>(parity_->ReplaceChar()) : b.value);
    }
  } else {
    // A mark cut off before checking was turned off has lost the byte it was for.
    markedInput_.Clear();
    for (size_t i = 0; i < count; ++i) emit(buffer[i]);
  }
  if (sawEventChar && events_.Has(evRxFlag) && eventThread_) {
    rxFlagSeen_ = true;
    eventThread_->Wake();
  }
  return out;
}

int TCustomComPort::PendingInputCount() {
  int count = 0;
  if (const int error = device_.InputCount(&count)) throw EComPort(10, error);
  return count;
}

TModemLineSet TCustomComPort::ModemLines() {
  TModemLineSet lines;
  bool hasLines = false;
  if (const int error = device_.ModemStatus(&lines, &hasLines)) throw EComPort(11, error);
  return lines;
}

TComErrors TCustomComPort::TakeLineErrors() {
  TLineCounters now;
  bool hasCounters = false;
  if (const int error = device_.Counters(&now, &hasCounters)) throw EComPort(10, error);
  if (!hasCounters) return {};
  const TComErrors errors = LineErrorsBetween(errorBaseline_, now, parity_->Check());
  errorBaseline_ = now;
  return errors;
}

void TCustomComPort::CancelPendingIo() {
  // Reads and writes finish within their own calls here, so what is pending is the output
  // queue; received bytes stay for a dispatch still in flight.
  const int error = device_.Flush(false, true);
  // A vanished device has nothing pending; closing it must still work.
  if (error != 0 && error != EIO) throw EComPort(5, error);
}
