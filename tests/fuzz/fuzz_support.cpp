#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

uint8_t FuzzReader::Byte() {
  if (data_.empty()) return 0;
  const auto b = static_cast<uint8_t>(data_.front());
  data_.remove_prefix(1);
  return b;
}

uint16_t FuzzReader::U16() {
  const uint16_t low = Byte();
  return static_cast<uint16_t>(low | Byte() << 8);
}

std::string FuzzReader::Text(size_t maxLength) {
  size_t length = Byte() % (maxLength + 1);
  if (length > data_.size()) length = data_.size();
  std::string text(data_.substr(0, length));
  data_.remove_prefix(length);
  return text;
}

std::string_view FuzzReader::Rest() {
  const std::string_view rest = data_;
  data_ = {};
  return rest;
}

namespace {

class ScratchFolder {
 public:
  ScratchFolder() {
    struct stat info {};
    const bool shm =
        ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) && ::access("/dev/shm", W_OK) == 0;
    std::string pattern = std::string(shm ? "/dev/shm" : "/tmp") + "/vantrel-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
    path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

}  // namespace

const std::string& FuzzScratchFolder() {
  static const ScratchFolder folder;
  return folder.path;
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return true;
}
