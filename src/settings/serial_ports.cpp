#include "serial_ports.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "com_device.h"

namespace fs = std::filesystem;

namespace {

// USB adapters first: the usual way a servo controller is attached.
const char* const kPortKinds[] = {"ttyUSB", "ttyACM", "ttyS"};
constexpr int kOnBoardKind = 2;

// The kind's place in kPortKinds and the number after it, or nothing for other names.
std::optional<std::pair<int, long>> PortOrder(const std::string& name) {
  for (int kind = 0; kind < static_cast<int>(std::size(kPortKinds)); ++kind) {
    const std::string prefix = kPortKinds[kind];
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    if (digits.size() > 9) continue;
    return std::make_pair(kind, std::stol(digits));
  }
  return std::nullopt;
}

// The 8250 driver registers ttyS0..ttySn whether or not a UART is fitted; those without one
// report type 0 and cannot be opened usefully.
bool HasUart(const fs::path& port) {
  std::ifstream in(port / "type");
  if (!in) return true;
  int type = 0;
  return !(in >> type) || type != 0;
}

// The first line of a sysfs attribute, or empty.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// The USB device the port hangs from: the nearest folder above the port's device that holds
// a vendor id.
void FindUsbNames(const fs::path& port, SerialPortInfo& info) {
  std::error_code error;
  fs::path dir = fs::canonical(port / "device", error);
  if (error) return;
  while (dir.has_relative_path()) {
    if (fs::exists(dir / "idVendor", error)) {
      info.vendor = ReadAttribute(dir / "manufacturer");
      info.product = ReadAttribute(dir / "product");
      return;
    }
    dir = dir.parent_path();
  }
}

}  // namespace

std::vector<std::string> ListSerialPorts(const std::string& ttyClassDir) {
  std::vector<std::tuple<int, long, std::string>> found;
  std::error_code error;
  for (fs::directory_iterator it(ttyClassDir, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    const auto order = PortOrder(name);
    if (!order) continue;
    std::error_code ignored;
    if (!fs::exists(it->path() / "device", ignored)) continue;
    if (order->first == kOnBoardKind && !HasUart(it->path())) continue;
    found.emplace_back(order->first, order->second, name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (auto& port : found) names.push_back(std::move(std::get<2>(port)));
  return names;
}

std::vector<SerialPortInfo> DescribeSerialPorts(const std::string& ttyClassDir,
                                                const std::string& byIdDir) {
  std::vector<SerialPortInfo> ports;
  for (const std::string& name : ListSerialPorts(ttyClassDir)) {
    SerialPortInfo info;
    info.name = name;
    FindUsbNames(fs::path(ttyClassDir) / name, info);
    ports.push_back(std::move(info));
  }
  std::error_code error;
  for (fs::directory_iterator it(byIdDir, error), end; !error && it != end; it.increment(error)) {
    std::error_code notALink;
    const fs::path target = fs::read_symlink(it->path(), notALink);
    if (notALink) continue;
    for (SerialPortInfo& info : ports) {
      if (target.filename() == info.name) info.byId.push_back(it->path().string());
    }
  }
  for (SerialPortInfo& info : ports) std::sort(info.byId.begin(), info.byId.end());
  return ports;
}

std::string SerialPortNameOf(const std::string& comPort) {
  // The virtual controller answers to its name in any letter case.
  std::string lower = comPort;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == kVirtualControllerPort) return kVirtualControllerPort;
  const fs::path path = PortDevicePath(comPort);
  std::error_code error;
  const fs::path target = fs::read_symlink(path, error);
  return (error ? path : target).filename().string();
}

std::vector<std::string> PortHolders(const std::string& devicePath, const std::string& procDir) {
  std::error_code error;
  const fs::path device = fs::weakly_canonical(devicePath, error);
  std::vector<std::pair<long, std::string>> holders;
  for (const fs::directory_entry& process : fs::directory_iterator(procDir, error)) {
    const std::string pid = process.path().filename().string();
    if (pid.empty() || pid.size() > 9 ||
        !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    std::error_code denied;  // another user's process, or one that ended meanwhile
    for (const fs::directory_entry& fd : fs::directory_iterator(process.path() / "fd", denied)) {
      std::error_code gone;
      if (fs::read_symlink(fd.path(), gone) != device || gone) continue;
      std::ifstream in(process.path() / "comm");
      std::string name;
      std::getline(in, name);
      holders.emplace_back(std::stol(pid), name + ", pid " + pid);
      break;
    }
  }
  std::sort(holders.begin(), holders.end());
  std::vector<std::string> names;
  for (auto& holder : holders) names.push_back(std::move(holder.second));
  return names;
}
