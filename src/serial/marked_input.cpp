#include "marked_input.h"

#include <utility>

void TMarkedInput::Decode(std::string_view read, std::vector<TReceivedByte>& bytes) {
  bytes.clear();
  // Only a mark cut off by the last read costs a copy.
  std::string joined;
  std::string_view raw = read;
  if (!carry_.empty()) {
    joined = std::exchange(carry_, std::string()).append(read);
    raw = joined;
  }
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\377') {
      bytes.push_back({raw[i], false});
      continue;
    }
    const size_t left = raw.size() - i;
    if (left == 1 || (left == 2 && raw[i + 1] == '\0')) {
      carry_ = std::string(raw.substr(i));
      return;
    }
    if (raw[i + 1] == '\0') {
      bytes.push_back({raw[i + 2], true});
      i += 2;
    } else if (raw[i + 1] == '\377') {
      bytes.push_back({raw[i], false});
      i += 1;
    }
    // A \377 before anything else is no mark the terminal makes; it is dropped, so the bytes
    // never outnumber what was read.
  }
}
