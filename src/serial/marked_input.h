// Input read with parity marking on (PARMRK): "\377\377" stands for a real 0xFF and "\377\0" x
// for byte x received with a parity or framing error. A mark cut off by the end of one read is
// completed by the next.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TReceivedByte {
  char value = 0;
  bool error = false;

  bool operator==(const TReceivedByte&) const = default;
};

class TMarkedInput {
 public:
  // The bytes of `read`, after what the last read left unfinished, replace `bytes`. There are
  // never more of them than `read` has.
  void Decode(std::string_view read, std::vector<TReceivedByte>& bytes);
  // Forgets a mark left unfinished.
  void Clear() { carry_.clear(); }

 private:
  std::string carry_;
};
