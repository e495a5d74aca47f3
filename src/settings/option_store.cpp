#include "option_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "error_report.h"
#include "int_parse.h"
#include "settings_keys.h"
#include "settings_location.h"
#include "translate.h"

namespace {

constexpr size_t kQuotedLength = 40;

// A value as a warning quotes it: cut short, control characters escaped.
std::string Quoted(const std::string& value) {
  static const char kHex[] = "0123456789abcdef";
  std::string text = "'";
  for (size_t i = 0; i < value.size() && i < kQuotedLength; ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c < 0x20 || c == 0x7f) {
      text += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    } else {
      text += static_cast<char>(c);
    }
  }
  if (value.size() > kQuotedLength) text += "...";
  return text + "'";
}

// The table's number key and the file's text: the number in range, and whether it had to be
// brought there (nothing when the text is no number).
struct NumberRead {
  std::optional<int64_t> parsed;
  int64_t value = 0;
};

NumberRead ReadNumber(const KnownSetting& known, const std::string* text) {
  NumberRead read;
  if (text) read.parsed = ParseInteger(*text, IntSyntax::Settings);
  const int64_t raw =
      read.parsed ? *read.parsed : *ParseInteger(known.builtIn, IntSyntax::Settings);
  read.value = std::clamp(raw, known.key->min, known.key->max);
  return read;
}

void Append(std::string& list, const std::string& item) {
  list += (list.empty() ? "" : ", ") + item;
}

}  // namespace

OptionStore::OptionStore(std::string path, Problems problems) : path_(std::move(path)) {
  // A file that is not there yet has nothing to set right: no warning.
  struct stat info {};
  const bool missing = ::stat(path_.c_str(), &info) != 0 && errno == ENOENT;
  try {
    ini_ = IniFile::Load(path_);
  } catch (const EUnreadableFile& e) {
    // Goes on with the built-in values, and leaves the file alone at the end.
    readFailure_ = e.what();
    writable_ = false;
  }
  for (const auto& key : ini_.SectionKeys(kOptionsSection)) {
    lines_.push_back({key, ini_.Read(kOptionsSection, key).value_or("")});
  }
  LoadServoTables();
  if (readFailure_.empty() && !missing) notice_ = CheckKeys();
  if (problems == Problems::Keep) return;
  if (!readFailure_.empty()) {
    ReportError(readFailure_, Tr("the built-in settings are used, and the file is not written"));
  } else if (notice_) {
    ReportError(notice_->message, notice_->detail);
  }
}

std::optional<SettingsNotice> OptionStore::CheckKeys() const {
  std::string missing;
  std::string outOfRange;
  std::string noNumber;
  for (const std::string& name : AllSettingNames()) {
    const KnownSetting known = *FindSetting(name);
    const size_t i = IndexOf(name);
    if (i == lines_.size()) {
      if (!known.key->quietWhenMissing) Append(missing, name + "=" + known.builtIn);
      continue;
    }
    if (!known.key->number) continue;
    const NumberRead read = ReadNumber(known, &lines_[i].value);
    const std::string used = " -> " + std::to_string(read.value);
    if (!read.parsed) {
      Append(noNumber, lines_[i].key + "=" + Quoted(lines_[i].value) + used);
    } else if (*read.parsed != read.value) {
      // A number fits 64 bits, so its text is short.
      Append(outOfRange, lines_[i].key + "=" + lines_[i].value + used + " (" + known.Range() + ")");
    }
  }
  std::string detail;
  const auto part = [&](const char* what, const std::string& list) {
    if (!list.empty()) detail += (detail.empty() ? "" : "; ") + TrFormat(what, {list});
  };
  part(TrNoop("missing, built-in value used: {1}"), missing);
  part(TrNoop("out of range, nearest allowed value used: {1}"), outOfRange);
  part(TrNoop("not a number, built-in value used: {1}"), noNumber);
  if (detail.empty()) return std::nullopt;
  return SettingsNotice{TrFormat("Some settings in {1} are missing or out of range", {path_}),
                        detail};
}

size_t OptionStore::IndexOf(const std::string& key) const {
  size_t i = 0;
  while (i < lines_.size() && !SameTextIgnoringCase(lines_[i].key, key)) ++i;
  return i;
}

std::string OptionStore::ReadOption(const std::string& key) const {
  const size_t i = IndexOf(key);
  if (i < lines_.size()) return lines_[i].value;
  const auto known = FindSetting(key);
  return known ? known->builtIn : std::string();
}

int64_t OptionStore::ReadOptionNumber(const std::string& key) const {
  const size_t i = IndexOf(key);
  const std::string* text = i < lines_.size() ? &lines_[i].value : nullptr;
  const auto known = FindSetting(key);
  if (known && known->key->number) return ReadNumber(*known, text).value;
  const auto value = text ? ParseInteger(*text, IntSyntax::Settings) : std::nullopt;
  return value.value_or(0);
}

uint16_t OptionStore::ReadOptionInt(const std::string& key) const {
  return static_cast<uint16_t>(ReadOptionNumber(key));
}

std::string OptionStore::ValueInUse(const std::string& key) const {
  const auto known = FindSetting(key);
  if (known && known->key->number) return std::to_string(ReadOptionNumber(key));
  return ReadOption(key);
}

void OptionStore::WriteOption(const std::string& key, const std::string& value) {
  const size_t i = IndexOf(key);
  if (i < lines_.size()) {
    lines_[i].value = value;
  } else {
    lines_.push_back({key, value});
  }
}

void OptionStore::LoadServoTables() {
  for (int i = 1; i <= kServoCount; ++i) {
    const std::string prefix = "sv" + std::to_string(i);
    tables.Minval[i] = static_cast<int32_t>(ReadOptionNumber(prefix + "Minval"));
    tables.Maxval[i] = static_cast<int32_t>(ReadOptionNumber(prefix + "Maxval"));
    tables.Address[i] = static_cast<int32_t>(ReadOptionNumber(prefix + "Address"));
  }
}

void OptionStore::WriteBack() const {
  if (lines_.empty() || !writable_) return;  // no file is created for nothing
  IniFile updated = ini_;
  for (const auto& line : lines_) updated.Write(kOptionsSection, line.key, line.value);
  // Unchanged, the file is left alone: a read-only one raises no error, and nothing about it
  // changes.
  if (updated.Text() == ini_.Text()) return;
  updated.Save(path_);
}

std::string DefaultSettingsPath() {
  return LocateSettingsFile(PlacesOfThisProgram());
}
