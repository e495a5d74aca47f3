#include <gtest/gtest.h>

#include <filesystem>

#include "serial_ports.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

// One entry of /sys/class/tty: with a device behind it and, for ttyS, the UART type.
void Port(const TempDir& dir, const std::string& name, bool device, const char* type = nullptr) {
  fs::create_directories(dir.File(name));
  if (device) fs::create_directories(dir.File(name + "/device"));
  if (type) WriteFile(dir.File(name + "/type"), std::string(type) + "\n");
}

TEST(SerialPorts, ListsPortsWithADeviceBehindThem) {
  TempDir dir;
  Port(dir, "ttyUSB10", true);
  Port(dir, "ttyUSB123456789", true);
  Port(dir, "ttyUSB12345678901234567890", true);  // past any number: not a port name
  Port(dir, "ttyUSB2", true);
  Port(dir, "ttyUSB0", true);
  Port(dir, "ttyACM0", true);
  Port(dir, "ttyS0", true, "4");
  Port(dir, "ttyS1", true, "0");  // registered, no UART fitted
  Port(dir, "ttyS2", true);       // no type to tell: offered
  Port(dir, "ttyS3", false, "4");
  Port(dir, "tty0", true);
  Port(dir, "ttyUSBx", true);
  Port(dir, "ptmx", false);
  // In the real tree both the entry and its device are links.
  fs::create_directories(dir.File("devices/usb1"));
  fs::create_directories(dir.File("ttyACM1"));
  fs::create_directory_symlink(dir.File("devices/usb1"), dir.File("ttyACM1/device"));
  fs::create_directories(dir.File("ttyACM2"));
  fs::create_directory_symlink(dir.File("devices/gone"), dir.File("ttyACM2/device"));

  const std::vector<std::string> expected = {"ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyUSB123456789",
                                             "ttyACM0", "ttyACM1", "ttyS0",    "ttyS2"};
  EXPECT_EQ(ListSerialPorts(dir.path()), expected);
}

TEST(SerialPorts, NoTreeNoPorts) {
  TempDir dir;
  EXPECT_TRUE(ListSerialPorts(dir.File("missing")).empty());
  EXPECT_TRUE(ListSerialPorts(dir.path()).empty());
}

}  // namespace
