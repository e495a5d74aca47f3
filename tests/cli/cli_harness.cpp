#include "cli_harness.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "arm_settings.h"

PeerReader::PeerReader(PtyPair& pty) : pty_(pty) {
  thread_ = std::thread([this] {
    while (!done_) {
      pollfd p{pty_.master(), POLLIN, 0};
      if (::poll(&p, 1, 5) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(pty_.master(), buffer, sizeof buffer);
      if (n <= 0) continue;
      const auto now = std::chrono::steady_clock::now();
      std::lock_guard lock(mutex_);
      bytes_.append(buffer, static_cast<size_t>(n));
      reads_.push_back({now, bytes_.size()});
    }
  });
}

PeerReader::~PeerReader() {
  done_ = true;
  thread_.join();
}

std::string PeerReader::Bytes(size_t count, std::chrono::milliseconds within) {
  const auto until = std::chrono::steady_clock::now() + within;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (bytes_.size() >= count || std::chrono::steady_clock::now() >= until) return bytes_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::vector<PeerReader::Read> PeerReader::Reads() {
  std::lock_guard lock(mutex_);
  return reads_;
}

void PeerReader::CatchUp() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (;;) {
    pollfd p{pty_.master(), POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || std::chrono::steady_clock::now() >= until) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

namespace {

// An in-memory FILE that hands its text over when closed.
class Capture {
 public:
  Capture() : file_(::open_memstream(&data_, &size_)) {}
  ~Capture() {
    if (file_) std::fclose(file_);
    std::free(data_);
  }
  std::FILE* file() const { return file_; }
  std::string Take() {
    std::fclose(file_);
    file_ = nullptr;
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_;
};

}  // namespace

CliResult RunCliCaptured(const std::vector<std::string>& words, CliClock* clock,
                         const std::function<void(CliEnvironment&)>& adjust) {
  Capture out;
  Capture err;
  CliEnvironment env;
  env.out = out.file();
  env.err = err.file();
  env.clock = clock;
  env.defaultSettings = "/nonexistent/vantrel.ini";
  env.ttyClassDir = "/nonexistent/class/tty";
  env.byIdDir = "/nonexistent/by-id";
  if (adjust) adjust(env);
  CliResult result;
  result.status = RunCli(words, env);
  result.out = out.Take();
  result.err = err.Take();
  return result;
}

std::string WriteSettings(const TempDir& dir, const std::string& port,
                          const std::map<std::string, std::string>& changes) {
  const std::string path = dir.File("vantrel.ini");
  WriteFile(path, ArmSettingsText(port, changes));
  return path;
}

std::string WriteScript(const TempDir& dir, const std::string& name,
                        const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  const std::string path = dir.File(name);
  WriteFile(path, text);
  return path;
}
