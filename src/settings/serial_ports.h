// The serial ports of this machine, for the options dialog's port choice.
#pragma once

#include <string>
#include <vector>

// The name of the virtual servo controller, offered beside the real ports.
inline constexpr const char* kVirtualControllerPort = "sim";

// Names (ttyUSB0, ttyACM0, ttyS0, ...) of the ports under `ttyClassDir` that have a device
// behind them; a ttyS port also needs a UART (its type is not 0). USB adapters, then ACM
// devices, then on-board ports, each by number. A missing or unreadable directory gives no ports.
std::vector<std::string> ListSerialPorts(const std::string& ttyClassDir = "/sys/class/tty");
