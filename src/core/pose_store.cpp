#include "pose_store.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "frame_decoder.h"
#include "int_parse.h"
#include "regular_file.h"
#include "replacing_file.h"
#include "settings_location.h"

std::string PoseFolder() {
  // A relative $XDG_STATE_HOME is invalid and ignored.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && *state == '/') return std::string(state) + "/vantrel";
  const std::string home = PlacesOfThisProgram().home;
  return home.empty() ? std::string() : home + "/.local/state/vantrel";
}

std::string PoseFileOf(const std::string& folder, const std::string& portPath) {
  // Every path gets a name of its own: bytes other than letters, digits, '-', '_' and '.' are
  // written as %XX, so "/dev/ttyUSB0" is "%2Fdev%2FttyUSB0.pose".
  static const char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (const char ch : portPath) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '-' || c == '_' || (c == '.' && !name.empty())) {
      name += ch;
    } else {
      name += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return folder + "/" + name + ".pose";
}

std::optional<ServoPose> ReadRememberedPose(const std::string& folder,
                                            const std::string& portPath) {
  if (folder.empty()) return std::nullopt;
  TRegularFile file(PoseFileOf(folder, portPath));
  std::string text;
  if (!file.IsOpen() || !file.ReadAll(text)) return std::nullopt;
  // Six positions on one line; anything else (a file cut short, a stranger's file) counts
  // as nothing remembered.
  std::istringstream words(text);
  ServoPose pose{};
  std::string word;
  for (int i = 1; i <= kServoCount; ++i) {
    if (!(words >> word)) return std::nullopt;
    const auto value = ParseInteger(word, IntSyntax::Settings);
    if (!value || *value < 0 || *value > 255) return std::nullopt;
    pose[i] = static_cast<int32_t>(*value);
  }
  if (words >> word) return std::nullopt;
  return pose;
}

bool WriteRememberedPose(const std::string& folder, const std::string& portPath,
                         const ServoPose& pose) {
  if (folder.empty()) return false;
  MakeFolders(folder);
  std::string text;
  for (int i = 1; i <= kServoCount; ++i) {
    text += std::to_string(pose[i]) + (i < kServoCount ? " " : "\n");
  }
  // Written while the arm moves: no wait on the disk. A pose lost in a power cut, or a file
  // cut short by one, only means the next run starts from home.
  TReplacingFile file;
  file.SkipSync();
  return file.Open(PoseFileOf(folder, portPath)) && file.Write(text) && file.Commit();
}

void ApplySentFrames(ServoPose& pose, const ByteString& frames, const ServoTables& tables) {
  const auto take = [&pose, &tables](const DecodedFrame& frame) {
    // Servos that share an address all take the frame, as they do on the arm.
    for (int i = 1; i <= kServoCount; ++i) {
      if (static_cast<uint8_t>(tables.Address[i]) == frame.address()) pose[i] = frame.position;
    }
  };
  // This runs for every write: the whole frames the program builds are read in place, and
  // only what follows anything else goes through a decoder, which starts there as after them.
  size_t at = 0;
  for (; at + kFrameSize <= frames.size(); at += kFrameSize) {
    const auto* f = reinterpret_cast<const uint8_t*>(frames.data() + at);
    if (f[0] != kFrameHeader || (f[1] ^ f[2]) != f[3]) break;
    take({f[1], f[2]});
  }
  if (at < frames.size()) FrameDecoder().Feed(std::string_view(frames).substr(at), take);
}

void TPoseKeeper::Follow(std::string folder, std::string portPath, const ServoState& state) {
  Flush();
  folder_ = std::move(folder);
  portPath_ = std::move(portPath);
  std::copy(std::begin(state.position), std::end(state.position), pose_.begin());
  lastWrite_.reset();
}

std::optional<TPoseKeeper::Clock::duration> TPoseKeeper::Sent(const ByteString& frames,
                                                              const ServoTables& tables,
                                                              Clock::time_point now) {
  if (folder_.empty() || frames.empty()) return std::nullopt;
  ApplySentFrames(pose_, frames, tables);
  dirty_ = true;
  FlushIfDue(now);
  if (!dirty_) return std::nullopt;
  return *lastWrite_ + kWriteInterval - now;
}

void TPoseKeeper::FlushIfDue(Clock::time_point now) {
  if (!dirty_ || (lastWrite_ && now - *lastWrite_ < kWriteInterval)) return;
  Flush();
  lastWrite_ = now;
}

void TPoseKeeper::Flush() {
  if (!dirty_) return;
  // A pose that cannot be kept costs the next run its starting point, nothing more: no
  // message for it.
  WriteRememberedPose(folder_, portPath_, pose_);
  dirty_ = false;
}
