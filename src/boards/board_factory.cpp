#include "board_factory.h"

#include <algorithm>
#include <cctype>

#include "board_families.h"
#include "translate.h"

namespace {

struct Family {
  BoardFamily family;
  const char* name;
  int maxChannel;
  int firstChannel;  // the channel of servo 1
  int32_t low, high;
  std::unique_ptr<Board> (*make)(const BoardConfig&);
};

// The ends are those of a half turn, positions 0 and 254 being -90 and +90 degrees: 500 to
// 2500 us on the pulse boards, 1024 to 3072 of the STS's 4096 steps a turn, 125 to 875 of the
// LX-16A's 1000 steps for 240 degrees. The Mini SSC takes a position byte of its own.
constexpr std::array kFamilies{
    Family{BoardFamily::Vantrel, "vantrel", 255, 1, 0, 254, MakeVantrelBoard},
    Family{BoardFamily::Ssc32, "ssc32", 31, 0, 500, 2500, MakeSsc32Board},
    Family{BoardFamily::Maestro, "maestro", 23, 0, 500, 2500, MakeMaestroBoard},
    Family{BoardFamily::MiniSsc, "minissc", 254, 0, 0, 254, MakeMiniSscBoard},
    Family{BoardFamily::Sts, "sts", 253, 1, 1024, 3072, MakeStsBoard},
    Family{BoardFamily::Lx16a, "lx16a", 253, 1, 125, 875, MakeLx16aBoard},
};

const Family& Of(BoardFamily family) {
  return *std::find_if(kFamilies.begin(), kFamilies.end(),
                       [&](const Family& f) { return f.family == family; });
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<BoardFamily> ParseBoardFamily(std::string_view name) {
  for (const Family& f : kFamilies) {
    if (SameIgnoringCase(name, f.name)) return f.family;
  }
  return std::nullopt;
}

const char* BoardFamilyName(BoardFamily family) {
  return Of(family).name;
}

std::string BoardFamilyNames() {
  std::string names;
  for (const Family& f : kFamilies) names += (names.empty() ? "" : ", ") + std::string(f.name);
  return names;
}

BoardServo FamilyServo(BoardFamily family, int servo) {
  const Family& f = Of(family);
  return {f.firstChannel + servo - 1, f.low, f.high};
}

BoardConfig FamilyConfig(BoardFamily family) {
  BoardConfig config;
  config.family = family;
  for (int s = 1; s <= kServoCount; ++s) config.servos[s] = FamilyServo(family, s);
  return config;
}

int MaxChannel(BoardFamily family) {
  return Of(family).maxChannel;
}

BoardSetup ConfigureBoard(const BoardSettings& settings) {
  BoardSetup setup;
  const auto family = ParseBoardFamily(settings.controller);
  if (!family) {
    setup.problems.push_back(
        TrFormat("Unknown controller '{1}': Vantrel frames are sent (known: {2})",
                 {settings.controller, BoardFamilyNames()}));
  }
  BoardConfig& config = setup.config;
  config.family = family.value_or(BoardFamily::Vantrel);
  for (int s = 1; s <= kServoCount; ++s) {
    BoardServo& servo = config.servos[s];
    servo = FamilyServo(config.family, s);
    if (config.family == BoardFamily::Vantrel) {
      // The frames carry the low byte of the address, as they always did.
      servo.channel = static_cast<uint8_t>(settings.address[s]);
      continue;
    }
    const int64_t channel = settings.channel[s];
    if (channel > MaxChannel(config.family)) {
      setup.problems.push_back(TrFormat(
          "sv{1}Channel={2} is beyond the channels of the {3} board (0 to {4}): {5} is used",
          {std::to_string(s), std::to_string(channel), BoardFamilyName(config.family),
           std::to_string(MaxChannel(config.family)), std::to_string(servo.channel)}));
    } else if (channel >= 0) {
      servo.channel = static_cast<int>(channel);
    }
    if (settings.low[s] >= 0) servo.low = static_cast<int32_t>(settings.low[s]);
    if (settings.high[s] >= 0) servo.high = static_cast<int32_t>(settings.high[s]);
    if (servo.low == servo.high) {
      setup.problems.push_back(
          TrFormat("sv{1}Low and sv{1}High are both {2}: servo {1} cannot move",
                   {std::to_string(s), std::to_string(servo.low)}));
    }
  }
  return setup;
}

std::unique_ptr<Board> MakeBoard(const BoardConfig& config) {
  return Of(config.family).make(config);
}
