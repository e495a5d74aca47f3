// A servo board family's side of the line: how a tick's targets look as bytes, how many bytes
// that costs, and, for boards that answer, how to ask for the pose and read the answer. The
// program thinks in positions 0..254; each servo's low and high values turn them into the
// board's own units (microseconds, steps) and back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "servo_state.h"
#include "unSerialLink.h"

enum class BoardFamily { Vantrel, Ssc32, Maestro, MiniSsc, Sts, Lx16a };

// How one servo sits on the board.
struct BoardServo {
  int channel = 0;   // board channel or bus id; the frame address for Vantrel frames
  int32_t low = 0;   // board units at position 0
  int32_t high = 0;  // board units at position 254
};

struct BoardConfig {
  BoardFamily family = BoardFamily::Vantrel;
  std::array<BoardServo, kServoCount + 1> servos{};  // slot 0 belongs to no servo
};

struct ServoTarget {
  int servo = 0;  // 1..6
  int32_t position = 0;
};

enum class QueryKind {
  Pose,    // where each servo stands (bus servos answer their health with it where they can)
  Moving,  // whether the board still moves a servo
  Health,  // temperature and voltage, where they are a query of their own
};

// One question to the board and the length of its answer.
struct BoardQuery {
  QueryKind kind = QueryKind::Pose;
  int servo = 0;  // 1..6; 0 when the answer covers the whole board
  ByteString bytes;
  size_t replyLength = 0;  // an echo of `bytes` not counted
};

// What a reply told about one servo; a field the reply did not carry stays empty.
struct ServoReading {
  // On the 0..254 scale; beyond it when the servo stands outside its low and high.
  std::optional<int32_t> position;
  // The board has no target for the servo yet (it sends no pulse): no position to go by.
  bool noTarget = false;
  std::optional<bool> moving;
  std::optional<int32_t> loadPermille;  // of the servo's full torque, signed by direction
  std::optional<int32_t> millivolts;
  std::optional<int32_t> celsius;
  bool overload = false;  // the servo reports overload, overcurrent or overheating
  bool operator==(const ServoReading&) const = default;
};

struct BoardReading {
  std::array<ServoReading, kServoCount + 1> servos{};
  std::optional<bool> moving;  // the board as a whole
  bool operator==(const BoardReading&) const = default;
};

enum class ReplyFault {
  Short,        // fewer bytes than the answer needs (so far: the caller may wait for more)
  Malformed,    // wrong header, servo, length or value
  BadChecksum,  // the bytes arrived but their checksum does not match
};

struct ReplyResult {
  std::optional<ReplyFault> fault;
  BoardReading reading;
  bool ok() const { return !fault; }
  bool operator==(const ReplyResult&) const = default;
};

// The reason of a failed reply in the user's language.
std::string ReplyFaultText(ReplyFault fault);

class Board {
 public:
  explicit Board(const BoardConfig& config) : config_(config) {}
  virtual ~Board() = default;

  BoardFamily family() const { return config_.family; }
  const BoardConfig& config() const { return config_; }

  // One tick's targets as bytes; a family that moves several servos with one command puts
  // them all in one. Nothing for no target.
  virtual ByteString EncodeTick(std::span<const ServoTarget> targets) const = 0;
  // The most bytes a tick of `servos` servos costs.
  virtual size_t TickBytes(int servos) const = 0;

  // The questions of one kind, servo by servo; none when the board cannot answer them.
  virtual std::vector<BoardQuery> Queries(QueryKind kind) const;
  // Reads `received`, the bytes that came in since `query` went out. A half-duplex adapter's
  // echo of the query in front of the answer is skipped. Bytes after the answer are ignored.
  virtual ReplyResult DecodeReply(const BoardQuery& query, std::string_view received) const;
  // Torque of every servo on or off; nothing when the board cannot switch it.
  virtual ByteString TorqueCommand(bool on) const;

  bool Answers() const { return !Queries(QueryKind::Pose).empty(); }

  // Position 0..254 (clamped) in the servo's board units, rounded to the nearest.
  int32_t ToUnits(int servo, int32_t position) const;
  // Board units back on the 0..254 scale, rounded to the nearest; not clamped.
  int32_t ToPosition(int servo, int32_t units) const;
  // The servo's channel, or its id on a bus.
  int Channel(int servo) const { return config_.servos.at(servo).channel; }

 private:
  BoardConfig config_;
};

// A family whose tick is a frame of the same size for each servo, in the targets' order.
class FrameEachBoard : public Board {
 public:
  FrameEachBoard(const BoardConfig& config, size_t frameBytes)
      : Board(config), frameBytes_(frameBytes) {}

  ByteString EncodeTick(std::span<const ServoTarget> targets) const final;
  size_t TickBytes(int servos) const final;

 protected:
  virtual void AppendFrame(ByteString& bytes, const ServoTarget& target) const = 0;

 private:
  size_t frameBytes_;
};
