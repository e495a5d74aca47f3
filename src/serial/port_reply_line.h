// Reading back over the serial port: questions go out with the port's blocking write, answers
// come in as the port's read time-outs allow.
#pragma once

#include "board_reader.h"
#include "com_port.h"

class PortReplyLine : public ReplyLine {
 public:
  explicit PortReplyLine(TCustomComPort& port) : port_(port) {}

  void Send(const ByteString& bytes) override;
  std::string Receive(size_t count) override;

 private:
  TCustomComPort& port_;
};
