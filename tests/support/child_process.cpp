#include "child_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

extern char** environ;

namespace {

// The environment without anything that names a display.
std::vector<std::string> HeadlessEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
        entry.rfind("QT_QPA_PLATFORM=", 0) == 0) {
      continue;
    }
    env.push_back(entry);
  }
  return env;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& binary, const std::vector<std::string>& args,
                           int errFd, int outFd) {
  int out[2];
  int err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd >= 0 ? outFd : out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errFd >= 0 ? errFd : err[1], 2);
  std::vector<std::string> argv{binary};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> argp;
  for (std::string& a : argv) argp.push_back(a.data());
  argp.push_back(nullptr);
  std::vector<std::string> env = HeadlessEnvironment();
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const int failed =
      posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  out_ = out[0];
  err_ = err[0];
  if (failed != 0) throw std::runtime_error(std::strerror(failed));
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && status_ < 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ::close(out_);
  ::close(err_);
}

bool ChildProcess::WaitForError(const std::string& text, std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (err.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= until) return false;
    ReadSome(err_, err, 10);
  }
  return true;
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < until) {
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      while (ReadSome(out_, out, 0)) {
      }
      while (ReadSome(err_, err, 0)) {
      }
      return status_;
    }
    ReadSome(out_, out, 1);
    ReadSome(err_, err, 1);
  }
  return -1;
}

bool ChildProcess::ReadSome(int fd, std::string& to, int waitMs) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, waitMs) <= 0) return false;
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n <= 0) return false;
  to.append(buffer, static_cast<size_t>(n));
  return true;
}
