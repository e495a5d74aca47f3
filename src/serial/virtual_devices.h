// Named devices that live in software: a port whose name is registered here opens whatever the
// device's opener hands back (a pseudo-terminal, say) instead of a device under /dev. The port
// knows nothing more of them than this table.
#pragma once

#include <functional>
#include <string>

struct VirtualDevice {
  // Makes the device ready and gives the path the port opens and configures. Returns 0 or an
  // errno value.
  std::function<int(std::string* path)> open;
  // Called once the port has closed the path again (also after a failed open of it).
  std::function<void()> close;
};

// Registers `device` under `name`; names match in any letter case. A second registration under
// the same name replaces the first.
void RegisterVirtualDevice(const std::string& name, VirtualDevice device);
void UnregisterVirtualDevice(const std::string& name);
// The device registered under `portName`, or nullptr.
const VirtualDevice* FindVirtualDevice(const std::string& portName);
// The device a port name stands for ("/dev/ttyUSB0"); a virtual device's own name.
std::string DevicePathOf(const std::string& portName);
