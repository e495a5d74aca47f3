// vantrel ports: the serial ports of this machine and the virtual controller.
#include <algorithm>

#include "cli_commands.h"
#include "serial_ports.h"
#include "translate.h"

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
    if (!about.empty()) line += std::string(width - p.name.size() + 2, ' ') + about;
    std::fprintf(env.out, "%s\n", line.c_str());
  }
  // The settings name a port this machine does not show: say so rather than mark nothing.
  if (!found && !setting.empty()) {
    std::fprintf(env.out, "* %s  %s\n", setting.c_str(), Tr("(from the settings; not found)"));
  }
  return kExitOk;
}
