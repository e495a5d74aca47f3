#include "arm_on_pty.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

std::string ArmSettings(const std::string& port, int interval, const std::string& jogPad) {
  std::string text = "[Options]\ncomPort=" + port +
                     "\nbaudRate=115200\nservoIncr=1\njogPad=" + jogPad +
                     "\nservoComInterval=" + std::to_string(interval) +
                     // The rest at their built-in values: a key missing is reported in a box,
                     // which a program started on its own would wait on.
                     "\nparityCheck=0\nstopBits=1\ndataBits=8\nH=8\nL1=12\nL2=12\nL3=6"
                     "\njoyMaxX=65535\njoyMaxY=65535\njoyCentXMin=29000\njoyCentXMax=36535"
                     "\njoyCentYMin=29000\njoyCentYMax=36535\n";
  for (int i = 1; i <= 6; ++i) {
    const std::string sv = "sv" + std::to_string(i);
    text += sv + "Minval=0\n" + sv + "Maxval=254\n" + sv + "Address=" + std::to_string(i) + "\n";
  }
  return text;
}

ArmOnPty::ArmOnPty(int interval, size_t frameSize) : line(frameSize) {
  char pattern[] = "/tmp/vantrel-bench-XXXXXX";
  dir = ::mkdtemp(pattern);
  std::ofstream(dir + "/vantrel.ini") << ArmSettings(line.path(), interval);
  window = std::make_unique<TfrmVantrel>(dir + "/vantrel.ini");
}

ArmOnPty::~ArmOnPty() {
  window.reset();
  std::remove((dir + "/vantrel.ini").c_str());
  ::rmdir(dir.c_str());
}
