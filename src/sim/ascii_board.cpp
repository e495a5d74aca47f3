// The 32-channel ASCII board: lines like "#0P1500#1P900T1000\r". A line with anything it does
// not know is dropped whole, as the board ignores a command it cannot read.
#include <cctype>
#include <optional>
#include <vector>

#include "virtual_board.h"

namespace {

constexpr int kChannels = 32;
constexpr int kMinPulse = 500;
constexpr int kMaxPulse = 2500;
constexpr size_t kMaxLine = 256;
constexpr uint8_t kEscape = 27;

class AsciiBoard : public VirtualBoard {
 protected:
  void Feed(uint8_t byte, std::string& reply) override {
    if (byte == kEscape) {
      line_.clear();
      overlong_ = false;
      return;
    }
    if (byte == '\n') return;
    if (byte != '\r') {
      if (line_.size() < kMaxLine) {
        line_.push_back(static_cast<char>(std::toupper(byte)));
      } else {
        overlong_ = true;
      }
      return;
    }
    if (overlong_ || !RunLine(reply)) Bad();
    line_.clear();
    overlong_ = false;
  }

 private:
  struct Step {
    int channel;
    int pulse;
  };

  void SkipBlanks() {
    while (at_ < line_.size() && line_[at_] == ' ') ++at_;
  }
  bool Next(char c) {
    SkipBlanks();
    if (at_ < line_.size() && line_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  std::optional<int> Number() {
    SkipBlanks();
    int value = 0;
    size_t digits = 0;
    while (at_ < line_.size() && std::isdigit(static_cast<unsigned char>(line_[at_])) &&
           digits < 6) {
      value = value * 10 + (line_[at_++] - '0');
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
  }

  // The whole line, or nothing of it when a part is wrong.
  bool RunLine(std::string& reply) {
    at_ = 0;
    std::vector<Step> steps;
    std::string answer;
    while (SkipBlanks(), at_ < line_.size()) {
      if (Next('#')) {
        const auto ch = Number();
        if (!ch || *ch >= kChannels) return false;
        bool any = false;
        for (;;) {
          if (Next('P')) {
            const auto pulse = Number();
            if (!pulse || *pulse < kMinPulse || *pulse > kMaxPulse) return false;
            steps.push_back({*ch, *pulse});
          } else if (Next('S')) {
            if (!Number()) return false;
          } else {
            break;
          }
          any = true;
        }
        if (!any) return false;
      } else if (Next('T')) {
        if (!Number()) return false;
      } else if (line_.compare(at_, 3, "VER") == 0) {
        at_ += 3;
        answer += "SSC32-V2.50\r";
      } else if (Next('Q')) {
        if (Next('P')) {
          const auto ch = Number();
          if (!ch || *ch >= kChannels) return false;
          answer += static_cast<char>(channel(*ch).present / 10);
        } else {
          answer += '.';  // every move here is done at once
        }
      } else {
        return false;
      }
    }
    for (const Step& s : steps) Move(s.channel, s.pulse);
    if (!answer.empty()) Answered();
    reply += answer;
    return true;
  }

  std::string line_;
  size_t at_ = 0;
  bool overlong_ = false;
};

}  // namespace

std::unique_ptr<VirtualBoard> MakeAsciiBoard() {
  return std::make_unique<AsciiBoard>();
}
