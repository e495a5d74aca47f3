// The line to the servo controller as the program sets it up, and the one way frames go out
// on it. The window and the command line share these, so both send the same bytes.
#pragma once

#include <cstdint>
#include <string>

#include "board_line.h"
#include "com_port.h"
#include "line_budget.h"
#include "schedule_clock.h"
#include "servo_state.h"
#include "unSerialLink.h"

// The line values the settings hold, as text and integer as they are stored.
struct ServoLineSettings {
  std::string port;
  std::string baudRate;
  uint16_t parityCheck = 0;
  std::string stopBits;
  std::string dataBits;
};

// The port before the settings are applied: COM1 at 9600 8N1, no handshake, DTR and RTS
// held off, an output queue of 180 bytes and a write time-out of 500 ms per byte + 1 s.
void PlaceServoPort(TCustomComPort& port);

// The line rate of a baudRate setting: a rate by its name, or any other whole number of bits
// per second up to 4000000 (bus servos run at 1000000); anything else 9600, as ParseBaudRate.
struct ServoLineRate {
  TBaudRate rate = br9600;
  int32_t custom = 0;  // the rate of brCustom; 0: the port's own
};
ServoLineRate ParseServoLineRate(const std::string& text);

// Closes the port if open, takes the line values (parity checking on when the low byte of
// parityCheck is not 0), drops any handshake and opens it. Raises EComPort when it cannot.
void ConnectServoPort(TCustomComPort& port, const ServoLineSettings& line);

// The character format ConnectServoPort gives the line, for its budget of frames per tick.
// parityCheck only checks what comes in: no parity bit goes out.
LineFormat ServoLineFormat(const ServoLineSettings& line);

// Writes the frames, as `board` has them on the line, in one blocking write and pauses
// kPauseAfterWrite on `clock` after it; nothing happens when no byte is to go. `state.txEmpty`
// is cleared before the write. A write the time-out cuts short raises EComWriteTimeout.
void WriteServoFrames(TCustomComPort& port, ServoState& state, const ByteString& frames,
                      ScheduleClock& clock, const BoardLine& board);
// The same with the program's own frames.
void WriteServoFrames(TCustomComPort& port, ServoState& state, const ByteString& frames,
                      ScheduleClock& clock);
