// soak [--minutes N]: the real window (offscreen unless a platform is chosen) on the virtual
// arm "sim" with a 1 ms tick, jogged back and forth through SDL's virtual joystick, with Moves
// and playback of recorded poses in between, for N minutes (default 2). Prints the frames
// sent and the frames the virtual controller decoded, bad frames, errors, resident memory and
// open descriptors at the start and the end; fails when a frame was bad or lost or an error
// was reported.
#include <dirent.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "dialog_seam.h"
#include "main_window.h"
#include "virtual_controller.h"
#include "virtual_stick.h"

namespace {

constexpr uint16_t kCentre = 32768;

struct Usage {
  long rssKb = 0;
  int fds = 0;
};

Usage Measure() {
  Usage usage;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) usage.rssKb = std::strtol(line.c_str() + 6, nullptr, 10);
  }
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    while (const dirent* entry = ::readdir(fds)) usage.fds += entry->d_name[0] != '.' ? 1 : 0;
    ::closedir(fds);
    --usage.fds;  // the directory stream itself
  }
  return usage;
}

// Runs the event loop, and so the control tick, for `ms` milliseconds.
void RunFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(ms - timer.elapsed()));
  }
}

std::string WriteSettings(const std::string& dir) {
  const std::string path = dir + "/vantrel.ini";
  std::ofstream out(path);
  out << "[Options]\ncomPort=sim\nbaudRate=115200\nparityCheck=0\nstopBits=1\ndataBits=8\n"
      << "servoIncr=2\nservoComInterval=1\nH=8\nL1=12\nL2=12\nL3=6\n"
      << "joyMaxX=65535\njoyMaxY=65535\njoyCentXMin=29000\njoyCentXMax=36535\n"
      << "joyCentYMin=29000\njoyCentYMax=36535\n";
  for (int i = 1; i <= 6; ++i) {
    out << "sv" << i << "Minval=0\nsv" << i << "Maxval=254\nsv" << i << "Address=" << i << "\n";
  }
  return path;
}

double ParseMinutes(int argc, char** argv) {
  double minutes = 2;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc) {
      minutes = std::strtod(argv[++i], nullptr);
    } else if (std::strcmp(argv[i], "-platform") == 0 && i + 1 < argc) {
      ++i;  // Qt's own
    } else {
      std::fprintf(stderr, "usage: soak [--minutes N]\n");
      std::exit(2);
    }
  }
  return minutes;
}

}  // namespace

int main(int argc, char** argv) {
  const double minutes = ParseMinutes(argc, argv);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("SDL_JOYSTICK_DISABLE_UDEV", "1", 0);
  QApplication app(argc, argv);

  char pattern[] = "/tmp/vantrel-soak-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  const std::string settings = WriteSettings(dir);

  std::atomic<uint64_t> bytesSent{0};
  int errors = 0;
  UiSeam::Instance().showError = [&](QWidget*, const QString& text, const QString& detail) {
    ++errors;
    std::fprintf(stderr, "soak: error: %s %s\n", text.toLocal8Bit().constData(),
                 detail.toLocal8Bit().constData());
  };

  VirtualStick stick;
  if (VirtualStick::OtherJoystickPresent()) {
    std::fprintf(stderr,
                 "soak: a real joystick is attached; unplug it, the soak steers joystick 0\n");
    return 2;
  }
  int result = 0;
  {
    TfrmVantrel window(settings);
    window.show();
    TComLink counter;
    counter.txData = [&](TCustomComPort*, const char*, int count) { bytesSent += count; };
    window.ComPort1.AttachLink(&counter);

    auto* x = window.findChild<QLineEdit*>("Xcoord");
    auto* y = window.findChild<QLineEdit*>("Ycoord");
    auto* z = window.findChild<QLineEdit*>("Zcoord");
    auto* move = window.findChild<QAbstractButton*>("btmove");
    auto* play = window.findChild<QAbstractButton*>("btPlay");
    if (!x || !y || !z || !move || !play || !window.ComPort1.Connected()) {
      std::fprintf(stderr, "soak: the window did not start on the virtual arm\n");
      return 1;
    }
    RunFor(200);
    const Usage start = Measure();
    std::printf("start: RSS %ld kB, %d open descriptors\n", start.rssKb, start.fds);

    std::mt19937 random(17);
    std::uniform_int_distribution<int> coordinate(-20, 25);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long>(minutes * 60000));
    long rounds = 0;
    while (std::chrono::steady_clock::now() < end) {
      // Jog: back and forth on both axes, now and then the other group of servos.
      const uint16_t group = rounds % 4 == 3 ? 4 : 0;
      for (int swing = 0; swing < 16; ++swing) {
        const uint16_t far = swing % 2 ? 0 : 65535;
        stick.Set(swing < 8 ? far : kCentre, swing < 8 ? kCentre : far, group);
        RunFor(120);
        stick.Set(kCentre, kCentre);
        RunFor(5);
      }
      window.script.clear();
      window.FormKeyPress("a");  // the jogged pose

      x->setText(QString::number(coordinate(random)));
      y->setText(QString::number(coordinate(random)));
      z->setText(QString::number(coordinate(random)));
      move->click();
      RunFor(20);
      window.FormKeyPress("1");  // the shoulder as Move left it

      play->click();  // returns when the script has played
      RunFor(20);
      ++rounds;
    }
    stick.Set(kCentre, kCentre);
    RunFor(200);

    // Let the controller read what is still on the line.
    const uint64_t sent = bytesSent / kFrameSize;
    TVirtualServoController::Snapshot seen;
    for (int wait = 0; wait < 200; ++wait) {
      seen = TVirtualServoController::Instance().State();
      if (seen.frames + seen.badFrames >= sent) break;
      RunFor(10);
    }
    const Usage finish = Measure();
    window.ComPort1.DetachLink(&counter);

    std::printf("rounds: %ld (jog, Move, playback)\n", rounds);
    std::printf("frames sent: %llu\n", static_cast<unsigned long long>(sent));
    std::printf("frames decoded: %llu\n", static_cast<unsigned long long>(seen.frames));
    std::printf("bad frames: %llu\n", static_cast<unsigned long long>(seen.badFrames));
    std::printf("errors: %d\n", errors);
    std::printf("end: RSS %ld kB (%+ld), %d open descriptors (%+d)\n", finish.rssKb,
                finish.rssKb - start.rssKb, finish.fds, finish.fds - start.fds);
    const bool sound = seen.badFrames == 0 && seen.frames == sent && bytesSent % kFrameSize == 0 &&
                       errors == 0 && finish.fds == start.fds;
    result = sound ? 0 : 1;
  }
  std::remove(settings.c_str());
  ::rmdir(dir.c_str());
  UiSeam::Instance().Reset();
  std::printf("%s\n", result == 0 ? "soak: ok" : "soak: FAILED");
  return result;
}
