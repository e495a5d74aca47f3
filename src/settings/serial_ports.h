// The serial ports of this machine, for the options dialog's port choice and the port list of
// the command line.
#pragma once

#include <string>
#include <vector>

// The name of the virtual servo controller, offered beside the real ports.
inline constexpr const char* kVirtualControllerPort = "sim";

// Names (ttyUSB0, ttyACM0, ttyS0, ...) of the ports under `ttyClassDir` that have a device
// behind them; a ttyS port also needs a UART (its type is not 0). USB adapters, then ACM
// devices, then on-board ports, each by number. A missing or unreadable directory gives no ports.
std::vector<std::string> ListSerialPorts(const std::string& ttyClassDir = "/sys/class/tty");

// A port with what the system tells about it.
struct SerialPortInfo {
  std::string name;               // ttyUSB0
  std::vector<std::string> byId;  // stable names under the by-id folder that lead to it, sorted
  std::string vendor;             // USB manufacturer name, when the port sits on a USB device
  std::string product;            // USB product name, likewise
};

// ListSerialPorts, each with its by-id names from `byIdDir` and the manufacturer and product
// names of the USB device above it in sysfs, where there are any.
std::vector<SerialPortInfo> DescribeSerialPorts(const std::string& ttyClassDir = "/sys/class/tty",
                                                const std::string& byIdDir = "/dev/serial/by-id");

// The programs that hold `devicePath` open, as far as this user may look into `procDir`:
// "minicom, pid 812" for each, in pid order. A port held by another user's program looks free.
std::vector<std::string> PortHolders(const std::string& devicePath,
                                     const std::string& procDir = "/proc");

// The port name (ttyUSB0) a comPort setting leads to: a name, COMn, a path under /dev, or a
// link such as a by-id name, followed to the device it names.
std::string SerialPortNameOf(const std::string& comPort);
