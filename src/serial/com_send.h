// The write the program's frames go out with. The port reports a write that its time-out cut
// short by a smaller count; for frames that is a failed write: the arm did not get them.
#pragma once

#include <string>

#include "com_port.h"
#include "errors.h"

// "Serial write timed out: %d of %d bytes sent"; the detail names the device.
class EComWriteTimeout : public EDetailedError {
 public:
  EComWriteTimeout(int sent, int asked, const std::string& device);
  int sent;
  int asked;
};

// SendText; raises EComWriteTimeout when fewer bytes went out than `text` holds.
void SendAllText(TCustomComPort& port, const ByteString& text);
