#include "virtual_devices.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "com_device.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, VirtualDevice> devices;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterVirtualDevice(const std::string& name, VirtualDevice device) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.devices[Lower(name)] = std::move(device);
}

void UnregisterVirtualDevice(const std::string& name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.devices.erase(Lower(name));
}

const VirtualDevice* FindVirtualDevice(const std::string& portName) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.devices.find(Lower(portName));
  // std::map keeps its nodes in place, so the pointer stays good until that name is unregistered.
  return found == registry.devices.end() ? nullptr : &found->second;
}

std::string DevicePathOf(const std::string& portName) {
  return FindVirtualDevice(portName) ? portName : PortDevicePath(portName);
}
