#include "com_types.h"

#include <array>
#include <iterator>

namespace {

constexpr std::array<const char*, 16> kBaudRateNames = {
    "Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
    "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<int, 16> kBaudRateValues = {0,     110,    300,    600,   1200,  2400,
                                                 4800,  9600,   14400,  19200, 38400, 56000,
                                                 57600, 115200, 128000, 256000};
constexpr std::array<const char*, 3> kStopBitsNames = {"1", "1.5", "2"};
constexpr std::array<const char*, 4> kDataBitsNames = {"5", "6", "7", "8"};
constexpr std::array<const char*, 5> kParityNames = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char*, 4> kFlowControlNames = {"Hardware", "Software", "None", "Custom"};

// Mask bit of each event, in member order.
constexpr std::array<uint32_t, 10> kEventFlags = {0x0001, 0x0004, 0x0002, 0x0100, 0x0040,
                                                  0x0008, 0x0010, 0x0080, 0x0020, 0x0400};

std::string Upper(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

template <typename E, size_t N>
E Parse(const std::string& text, const std::array<const char*, N>& names, E fallback) {
  const std::string wanted = Upper(text);
  for (size_t i = 0; i < N; ++i) {
    if (Upper(names[i]) == wanted) return static_cast<E>(i);
  }
  return fallback;
}

template <typename E, size_t N>
std::string Name(E value, const std::array<const char*, N>& names) {
  const auto i = static_cast<size_t>(value);
  return i < N ? names[i] : std::string();
}

}  // namespace

uint32_t EventsToMask(TComEvents events) {
  uint32_t mask = 0;
  for (size_t i = 0; i < kEventFlags.size(); ++i) {
    if (events.Has(static_cast<TComEvent>(i))) mask |= kEventFlags[i];
  }
  return mask;
}

TComEvents MaskToEvents(uint32_t mask) {
  TComEvents events;
  for (size_t i = 0; i < kEventFlags.size(); ++i) {
    if (mask & kEventFlags[i]) events.Add(static_cast<TComEvent>(i));
  }
  return events;
}

TBaudRate ParseBaudRate(const std::string& text) {
  return Parse(text, kBaudRateNames, br9600);
}
TStopBits ParseStopBits(const std::string& text) {
  return Parse(text, kStopBitsNames, sbOneStopBit);
}
TDataBits ParseDataBits(const std::string& text) {
  return Parse(text, kDataBitsNames, dbEight);
}
TParityBits ParseParity(const std::string& text) {
  return Parse(text, kParityNames, prNone);
}
TFlowControl ParseFlowControl(const std::string& text) {
  return Parse(text, kFlowControlNames, fcCustom);
}

std::string BaudRateName(TBaudRate value) {
  return Name(value, kBaudRateNames);
}
std::string StopBitsName(TStopBits value) {
  return Name(value, kStopBitsNames);
}
std::string DataBitsName(TDataBits value) {
  return Name(value, kDataBitsNames);
}
std::string ParityName(TParityBits value) {
  return Name(value, kParityNames);
}
std::string FlowControlName(TFlowControl value) {
  return Name(value, kFlowControlNames);
}

int BaudRateValue(TBaudRate value) {
  const auto i = static_cast<size_t>(value);
  return i < kBaudRateValues.size() ? kBaudRateValues[i] : 0;
}
