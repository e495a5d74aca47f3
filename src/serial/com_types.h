// The serial port's enumerations, small sets over them, and the text conversions used to turn
// settings values into port settings.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

enum TBaudRate {
  brCustom,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TComEvent {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full
};
enum TSyncMethod { smThreadSync, smWindowSync, smNone };
enum TComSignal { sigCTS, sigDSR, sigRing, sigRLSD };
enum TComError {
  errFrame,
  errRxParity,
  errOverrun,
  errBreak,
  errIO,
  errMode,
  errRxOver,
  errTxFull
};

// A set of enumeration members, bit n standing for member n.
template <typename E>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<E> members) {
    for (E m : members) bits_ |= Bit(m);
  }
  static constexpr EnumSet FromBits(uint32_t bits) {
    EnumSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr bool Has(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr void Add(E m) { bits_ |= Bit(m); }
  constexpr void Remove(E m) { bits_ &= ~Bit(m); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool operator==(const EnumSet&) const = default;

 private:
  static constexpr uint32_t Bit(E m) { return uint32_t{1} << static_cast<unsigned>(m); }
  uint32_t bits_ = 0;
};

using TComEvents = EnumSet<TComEvent>;
using TModemLineSet = EnumSet<TComSignal>;
using TComErrors = EnumSet<TComError>;

inline constexpr TComEvents kAllComEvents = TComEvents::FromBits(0x3FF);

// The event flags of the classic serial event mask, member by member (other bits ignored).
uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(uint32_t mask);

// Case-insensitive (ASCII) exact match against the member texts; no trimming. A text that
// matches nothing gives br9600, sbOneStopBit, dbEight, prNone and fcCustom.
TBaudRate ParseBaudRate(const std::string& text);
TStopBits ParseStopBits(const std::string& text);
TDataBits ParseDataBits(const std::string& text);
TParityBits ParseParity(const std::string& text);
TFlowControl ParseFlowControl(const std::string& text);

std::string BaudRateName(TBaudRate value);
std::string StopBitsName(TStopBits value);
std::string DataBitsName(TDataBits value);
std::string ParityName(TParityBits value);
std::string FlowControlName(TFlowControl value);

// Bits per second of a named rate (110 ... 256000); 0 for brCustom.
int BaudRateValue(TBaudRate value);
