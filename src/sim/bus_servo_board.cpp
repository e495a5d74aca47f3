// Serial bus servos, the STS/SCS family and the LX-16A family: packets of two header bytes, an
// id, a length, an instruction, its parameters and the inverted sum from the id on. Each id
// on the bus answers the packets addressed to it; the broadcast id gets no answer.
#include <optional>

#include "bus_packet.h"
#include "virtual_board.h"

namespace {

constexpr uint8_t kBroadcast = 0xFE;

// Collects one packet at a time; garbage before a header is one bad command per run of it.
class PacketReader {
 public:
  struct Packet {
    uint8_t id;
    uint8_t instruction;
    std::string params;
  };

  // `lengthOwnByte`: the length counts itself (LX-16A) besides the instruction and the sum.
  PacketReader(uint8_t header, int lengthOwnByte) : header_(header), own_(lengthOwnByte) {}

  // A packet when `byte` ends one; a broken one counts through `bad`.
  template <typename Bad>
  std::optional<Packet> Feed(uint8_t byte, Bad bad) {
    switch (state_) {
      case 0:
        if (byte == header_) {
          state_ = 1;
          garbage_ = false;
        } else if (!garbage_) {
          garbage_ = true;
          bad();
        }
        return std::nullopt;
      case 1:
        state_ = byte == header_ ? 2 : 0;
        if (state_ == 0 && !garbage_) {
          garbage_ = true;
          bad();
        }
        return std::nullopt;
      case 2:
        if (byte == header_ && header_ == 0xFF) return std::nullopt;  // a longer preamble
        body_.assign(1, static_cast<char>(byte));
        state_ = 3;
        return std::nullopt;
      case 3:
        body_ += static_cast<char>(byte);
        left_ = byte - own_;
        state_ = 4;
        if (left_ < 2) {
          state_ = 0;
          bad();
        }
        return std::nullopt;
      default:
        break;
    }
    body_ += static_cast<char>(byte);
    if (--left_ > 0) return std::nullopt;
    state_ = 0;
    const std::string_view summed(body_.data(), body_.size() - 1);
    if (InvertedSum(summed) != static_cast<uint8_t>(body_.back())) {
      bad();
      return std::nullopt;
    }
    return Packet{static_cast<uint8_t>(body_[0]), static_cast<uint8_t>(body_[2]),
                  body_.substr(3, body_.size() - 4)};
  }

 private:
  uint8_t header_;
  int own_;
  int state_ = 0;
  int left_ = 0;
  bool garbage_ = false;
  std::string body_;
};

int Word(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8;
}

// What both families share: the packets read, the torque switch, and the answer of a servo
// that is on the bus, which the broadcast id never gets.
class BusServoBoard : public VirtualBoard {
 public:
  bool HasTorqueSwitch() const override { return true; }

 protected:
  // `echo`: the adapter hands back every byte sent before any answer.
  BusServoBoard(uint8_t header, int lengthOwnByte, bool echo)
      : reader_(header, lengthOwnByte), header_(header), own_(lengthOwnByte), echo_(echo) {}

  void Feed(uint8_t byte, std::string& reply) override {
    if (echo_) reply += static_cast<char>(byte);
    const auto packet = reader_.Feed(byte, [this] { Bad(); });
    if (packet) Run(*packet, reply);
  }
  virtual void Run(const PacketReader::Packet& p, std::string& reply) = 0;

  // True, and counted as answered, when servo `id` answers.
  bool Answering(uint8_t id) {
    if (id == kBroadcast || !channel(id).answers) return false;
    Answered();
    return true;
  }
  void AppendAnswer(std::string& reply, uint8_t id, uint8_t first, std::string_view params) {
    AppendBusPacket(reply, header_, id, own_, first, params);
  }

 private:
  PacketReader reader_;
  uint8_t header_;
  int own_;
  bool echo_;
};

// STS/SCS: a register table per servo, goal position at 42, torque at 40, the present values
// from 56 on. The adapter echoes every byte sent before any answer.
class StsBoard : public BusServoBoard {
 public:
  StsBoard() : BusServoBoard(0xFF, 0, true) {}

 private:
  enum : uint8_t {
    kPing = 1,
    kRead = 2,
    kWrite = 3,
    kRegWrite = 4,
    kAction = 5,
    kSyncWrite = 0x83
  };
  enum : int {
    kMaxTemperature = 13,
    kTorque = 40,
    kGoal = 42,
    kPresent = 56,
    kLoad = 60,
    kVoltage = 62,
    kTemperature = 63,
    kMoving = 66,
  };
  using Table = std::array<uint8_t, 256>;

  Table& TableOf(uint8_t id) {
    Table& t = tables_[id];
    const BoardChannel& c = channel(id);
    if (t[kMaxTemperature] == 0) t[kMaxTemperature] = 70;
    t[kTorque] = c.torque ? 1 : 0;
    t[kGoal] = static_cast<uint8_t>(c.target);
    t[kGoal + 1] = static_cast<uint8_t>(c.target >> 8);
    t[kPresent] = static_cast<uint8_t>(c.present);
    t[kPresent + 1] = static_cast<uint8_t>(c.present >> 8);
    t[kLoad] = static_cast<uint8_t>(c.load);
    t[kLoad + 1] = static_cast<uint8_t>(c.load >> 8);
    t[kVoltage] = static_cast<uint8_t>(c.decivolts);
    t[kTemperature] = static_cast<uint8_t>(c.celsius);
    t[kMoving] = 0;
    return t;
  }

  uint8_t ErrorOf(uint8_t id) {
    const BoardChannel& c = channel(id);
    return static_cast<uint8_t>((c.celsius > TableOf(id)[kMaxTemperature] ? 0x04 : 0) |
                                (c.overload ? 0x20 : 0));
  }

  // Writes `data` at `address` of servo `id` and does what the written registers ask.
  bool Write(uint8_t id, int address, const std::string& data) {
    if (data.empty() || address + data.size() > 256) return false;
    Table& t = TableOf(id);
    for (size_t i = 0; i < data.size(); ++i) t[address + i] = static_cast<uint8_t>(data[i]);
    const auto covers = [&](int a) { return address <= a && a < address + int(data.size()); };
    BoardChannel& c = channel(id);
    if (covers(kTorque)) {
      c.torque = t[kTorque] != 0;
      if (c.torque) c.present = c.target;  // it drives back to its goal
    }
    if (covers(kGoal) || covers(kGoal + 1)) Move(id, t[kGoal] | t[kGoal + 1] << 8);
    return true;
  }

  void Answer(uint8_t id, const std::string& params, std::string& reply) {
    if (Answering(id)) AppendAnswer(reply, id, ErrorOf(id), params);
  }

  void Run(const PacketReader::Packet& p, std::string& reply) override {
    const std::string& a = p.params;
    const bool here = p.id == kBroadcast || channel(p.id).answers;
    switch (p.instruction) {
      case kPing:
        if (a.empty()) return Answer(p.id, "", reply);
        break;
      case kRead:
        if (a.size() == 2) {
          const int address = static_cast<uint8_t>(a[0]);
          const int count = static_cast<uint8_t>(a[1]);
          if (address + count > 256) break;
          const Table& t = TableOf(p.id);
          return Answer(p.id, std::string(t.begin() + address, t.begin() + address + count), reply);
        }
        break;
      case kWrite:
        if (a.size() >= 2 && (!here || Write(p.id, static_cast<uint8_t>(a[0]), a.substr(1)))) {
          return Answer(p.id, "", reply);
        }
        break;
      case kRegWrite:
        if (a.size() >= 2) {
          registered_[p.id] = a;
          return Answer(p.id, "", reply);
        }
        break;
      case kAction:
        if (a.empty()) {
          for (int id = 0; id < kBoardChannels; ++id) {
            if (!registered_[id].empty() && (p.id == kBroadcast || p.id == id)) {
              Write(static_cast<uint8_t>(id), static_cast<uint8_t>(registered_[id][0]),
                    registered_[id].substr(1));
              registered_[id].clear();
            }
          }
          return;
        }
        break;
      case kSyncWrite:
        if (a.size() >= 2) {
          const int address = static_cast<uint8_t>(a[0]);
          const size_t each = static_cast<uint8_t>(a[1]);
          if (each == 0 || (a.size() - 2) % (each + 1) != 0) break;
          for (size_t at = 2; at < a.size(); at += each + 1) {
            const auto id = static_cast<uint8_t>(a[at]);
            if (channel(id).answers && !Write(id, address, a.substr(at + 1, each))) break;
          }
          return;
        }
        break;
      default:
        break;
    }
    Bad();
  }

  std::array<Table, kBoardChannels> tables_{};
  std::array<std::string, kBoardChannels> registered_{};
};

// LX-16A: position 0..1000 with a time, position, temperature and voltage reads, the motor
// loaded or unloaded by command 31. No echo on its line.
class Lx16aBoard : public BusServoBoard {
 public:
  Lx16aBoard() : BusServoBoard(0x55, 1, false) {}

 private:
  enum : uint8_t {
    kMoveTimeWrite = 1,
    kMoveTimeRead = 2,
    kMoveTimeWaitWrite = 7,
    kMoveStart = 11,
    kMoveStop = 12,
    kIdRead = 14,
    kTemperatureLimitRead = 25,
    kTemperatureRead = 26,
    kVoltageRead = 27,
    kPositionRead = 28,
    kLoadWrite = 31,
    kLoadRead = 32,
    kErrorRead = 36,
  };

  static std::string Word16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
  }

  void Answer(const PacketReader::Packet& p, const std::string& params, std::string& reply) {
    if (Answering(p.id)) AppendAnswer(reply, p.id, p.instruction, params);
  }

  void Run(const PacketReader::Packet& p, std::string& reply) override {
    const std::string& a = p.params;
    BoardChannel& c = channel(p.id);
    const bool here = p.id == kBroadcast || c.answers;
    const auto reads = [&] { return a.empty(); };
    switch (p.instruction) {
      case kMoveTimeWrite:
      case kMoveTimeWaitWrite:
        if (a.size() == 4 && Word(a, 0) <= 1000) {
          if (!here) return;
          if (p.instruction == kMoveTimeWrite) {
            Move(p.id, Word(a, 0));
          } else {
            waiting_[p.id] = Word(a, 0);
          }
          return;
        }
        break;
      case kMoveStart:
        if (reads()) {
          for (int id = 0; id < kBoardChannels; ++id) {
            if (waiting_[id] >= 0 && (p.id == kBroadcast || p.id == id)) {
              Move(id, waiting_[id]);
              waiting_[id] = -1;
            }
          }
          return;
        }
        break;
      case kMoveStop:
        if (reads()) return;
        break;
      case kMoveTimeRead:
        if (reads()) return Answer(p, Word16(c.target) + Word16(0), reply);
        break;
      case kIdRead:
        if (reads()) return Answer(p, std::string(1, static_cast<char>(p.id)), reply);
        break;
      case kTemperatureLimitRead:
        if (reads()) return Answer(p, std::string(1, static_cast<char>(85)), reply);
        break;
      case kTemperatureRead:
        if (reads()) return Answer(p, std::string(1, static_cast<char>(c.celsius)), reply);
        break;
      case kVoltageRead:
        if (reads()) return Answer(p, Word16(c.decivolts * 100), reply);
        break;
      case kPositionRead:
        if (reads()) return Answer(p, Word16(c.present), reply);
        break;
      case kLoadWrite:
        if (a.size() == 1 && static_cast<uint8_t>(a[0]) <= 1) {
          if (!here) return;
          c.torque = a[0] != 0;
          if (c.torque) c.present = c.target;
          return;
        }
        break;
      case kLoadRead:
        if (reads()) return Answer(p, std::string(1, static_cast<char>(c.torque)), reply);
        break;
      case kErrorRead:
        if (reads()) {
          const int error = (c.celsius > 85 ? 1 : 0) | (c.overload ? 4 : 0);
          return Answer(p, std::string(1, static_cast<char>(error)), reply);
        }
        break;
      default:
        break;
    }
    Bad();
  }

  std::array<int32_t, kBoardChannels> waiting_ = [] {
    std::array<int32_t, kBoardChannels> w{};
    w.fill(-1);
    return w;
  }();
};

}  // namespace

std::unique_ptr<VirtualBoard> MakeStsBoard() {
  return std::make_unique<StsBoard>();
}

std::unique_ptr<VirtualBoard> MakeLx16aBoard() {
  return std::make_unique<Lx16aBoard>();
}
