// vantrel ports: the serial ports of this machine and the virtual controller.
#include <algorithm>
#include <filesystem>

#include "cli_commands.h"
#include "serial_ports.h"
#include "translate.h"
#include "virtual_devices.h"

namespace {

// "free", "in use by minicom, pid 812" or "not found": what opening `path` would meet.
std::string PortState(const std::string& path, const CliEnvironment& env) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return Tr("not found");
  std::string holders;
  for (const std::string& holder : PortHolders(path, env.procDir)) {
    holders += (holders.empty() ? "" : "; ") + holder;
  }
  return holders.empty() ? Tr("free") : TrFormat("in use by {1}", {holders});
}

}  // namespace

int RunPorts(const ParsedArgs& args, CliEnvironment& env) {
  const OptionStore settings = LoadRunSettings(args, env);
  const std::string setting = RunPortName(settings, args);
  const std::string wanted = SerialPortNameOf(setting);

  std::vector<SerialPortInfo> ports = DescribeSerialPorts(env.ttyClassDir, env.byIdDir);
  SerialPortInfo sim;
  sim.name = kVirtualControllerPort;
  sim.product = Tr("virtual servo controller");
  ports.push_back(sim);

  size_t width = 0;
  bool found = false;
  for (const SerialPortInfo& p : ports) {
    width = std::max(width, p.name.size());
    found = found || p.name == wanted;
  }
  for (const SerialPortInfo& p : ports) {
    std::string line = (p.name == wanted ? "* " : "  ") + p.name;
    std::string about = p.vendor;
    if (!p.product.empty()) about += (about.empty() ? "" : " ") + p.product;
    for (const std::string& link : p.byId) about += (about.empty() ? "" : "  ") + link;
    if (p.name != kVirtualControllerPort) {
      about += (about.empty() ? "(" : "  (") + PortState(env.devDir + "/" + p.name, env) + ")";
    }
    if (!about.empty()) line += std::string(width - p.name.size() + 2, ' ') + about;
    std::fprintf(env.out, "%s\n", line.c_str());
  }
  // A port this machine does not list as serial (a pseudo-terminal, a name with a typo) is
  // named as it was given, with what opening it would meet.
  if (!found && !setting.empty()) {
    std::string path = DevicePathOf(setting);
    if (path.rfind("/dev/", 0) == 0) path = env.devDir + path.substr(4);
    const std::string from =
        args.HasValue("--port") ? Tr("given with --port") : Tr("from the settings");
    std::fprintf(env.out, "* %s  (%s; %s)\n", setting.c_str(), from.c_str(),
                 PortState(path, env).c_str());
  }
  return kExitOk;
}
