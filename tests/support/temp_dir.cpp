#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
  std::string pattern = "/tmp/vantrel-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

namespace {

// Every test runs with $XDG_STATE_HOME in a fresh folder of its own, so no test reads a pose
// an earlier one left for a reused pty path, nor writes into the user's own state. It lives
// here because every test that runs the program makes temporary folders.
class FreshStateHome : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    dir_ = std::make_unique<TempDir>();
    ::setenv("XDG_STATE_HOME", dir_->path().c_str(), 1);
  }
  void OnTestEnd(const ::testing::TestInfo&) override { dir_.reset(); }

  std::unique_ptr<TempDir> dir_;
};

const bool kFreshStateHome = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStateHome);
  return true;
}();

}  // namespace
