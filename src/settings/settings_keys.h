// Every setting the program knows: the value it takes when the file has none, the numbers it
// accepts and what it means. A new setting is one more row in the table of settings_keys.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct SettingKey {
  // The key; for a per-servo key the part after "svN" ("Minval" stands for sv1Minval ..
  // sv6Minval).
  const char* name;
  bool perServo = false;
  // A whole number from `min` to `max`; otherwise any text.
  bool number = false;
  int64_t min = 0;
  int64_t max = 0;
  // The value of a missing key, as the file would hold it; "{N}" stands for the servo number.
  const char* builtIn = "";
  // Filled in without a word when missing: keys that are optional or that nothing uses.
  bool quietWhenMissing = false;
  // One line, the man page's words, in English (Tr gives the user's); "{N}" stands for the
  // servo number.
  const char* description = "";
};

std::span<const SettingKey> SettingKeys();

// A key name resolved against the table, the servo number filled in.
struct KnownSetting {
  const SettingKey* key = nullptr;
  int servo = 0;  // 1..6 for per-servo keys, else 0
  std::string name;
  std::string builtIn;
  // The key's description in the user's language, made when asked for: reads need none.
  std::string Description() const;
  // "0 to 254" for number keys (in the user's language), empty for text keys.
  std::string Range() const;
};

// The table's entry for `name` (compared without regard to case); nothing for other keys.
std::optional<KnownSetting> FindSetting(const std::string& name);

// Every key of the table in table order, the per-servo ones as sv1.. to sv6...
std::vector<std::string> AllSettingNames();
