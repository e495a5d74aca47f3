// The settings write-back leaves the file as it found it, apart from what changed: unchanged
// it is byte-exact; a changed value changes only its own line; an added key keeps every old
// line. The input is a key choice, a new value, a new key name, then the file itself.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "option_store.h"

namespace {

struct FileLine {
  std::string text;
  std::string end;  // "\r\n", "\n"; for the last line also a lone "\r" or nothing
  bool operator==(const FileLine&) const = default;
};

std::vector<FileLine> SplitLines(const std::string& file) {
  std::vector<FileLine> lines;
  size_t at = 0;
  while (at < file.size()) {
    const size_t lf = file.find('\n', at);
    if (lf == std::string::npos) {
      // A lone CR ending the file is read as its line end.
      const bool cr = file.back() == '\r';
      lines.push_back({file.substr(at, file.size() - at - (cr ? 1 : 0)), cr ? "\r" : ""});
      break;
    }
    const bool crlf = lf > at && file[lf - 1] == '\r';
    lines.push_back({file.substr(at, lf - at - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    at = lf + 1;
  }
  return lines;
}

std::string WrittenBack(OptionStore& store) {
  store.WriteBack();
  std::string text;
  FUZZ_CHECK(ReadWholeFile(store.path(), text));
  return text;
}

// Values typed into the options dialog: one line, no line end in them.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// A plain key name that is not in the table yet.
std::string NewKeyName(const std::string& nameSource, const OptionStore& store) {
  std::string name = "fuzz";
  for (const char c : nameSource) {
    name += "abcdefghijklmnopqrstuvwxyz0123456789_"[static_cast<uint8_t>(c) % 37];
  }
  const auto taken = [&] {
    for (const auto& line : store.lines()) {
      if (SameTextIgnoringCase(line.key, name)) return true;
    }
    return false;
  };
  while (taken()) name += "_";
  return name;
}

bool Trimmed(const std::string& value) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return value.empty() || (!blank(value.front()) && !blank(value.back()));
}

void ChangeOneKey(const std::string& path, const std::string& file, uint8_t choice,
                  const std::string& value) {
  WriteWholeFile(path, file);
  OptionStore store(path, OptionStore::Problems::Keep);
  if (store.lines().empty()) return;
  const std::string key = store.lines()[choice % store.lines().size()].key;
  const std::string old = store.ReadOption(key);
  store.WriteOption(key, value);
  const std::vector<FileLine> before = SplitLines(file);
  const std::vector<FileLine> after = SplitLines(WrittenBack(store));
  FUZZ_CHECK(after.size() == before.size());
  int changed = 0;
  for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (after[i] == before[i]) continue;
    ++changed;
    FUZZ_CHECK(after[i].end == before[i].end);
  }
  FUZZ_CHECK(changed <= 1);
  if (Trimmed(value)) {
    FUZZ_CHECK(changed == (value == old ? 0 : 1));
    FUZZ_CHECK(OptionStore(path, OptionStore::Problems::Keep).ReadOption(key) == value);
  }
}

void AddAKey(const std::string& path, const std::string& file, const std::string& nameSource,
             const std::string& value) {
  WriteWholeFile(path, file);
  OptionStore store(path, OptionStore::Problems::Keep);
  const std::string key = NewKeyName(nameSource, store);
  store.WriteOption(key, value);
  const std::vector<FileLine> before = SplitLines(file);
  const std::vector<FileLine> after = SplitLines(WrittenBack(store));
  // Every old line in order; only a last line without a full line end may gain one.
  size_t matched = 0;
  for (const FileLine& line : after) {
    if (matched == before.size()) break;
    const FileLine& old = before[matched];
    const bool gainedEnd = matched + 1 == before.size() && (old.end.empty() || old.end == "\r");
    if (line == old || (gainedEnd && line.text == old.text)) ++matched;
  }
  FUZZ_CHECK(matched == before.size());
  FUZZ_CHECK(after.size() <= before.size() + 3);  // at most a blank, the section and the key
  if (Trimmed(value))
    FUZZ_CHECK(OptionStore(path, OptionStore::Problems::Keep).ReadOption(key) == value);
}

}  // namespace

void FuzzSettingsFile(std::string_view data) {
  FuzzReader input(data);
  const uint8_t choice = input.Byte();
  const std::string value = OneLine(input.Text(24));
  const std::string nameSource = input.Text(8);
  const std::string file(input.Rest());
  const std::string path = FuzzScratchFolder() + "/vantrel.ini";

  WriteWholeFile(path, file);
  OptionStore unchanged(path, OptionStore::Problems::Keep);
  FUZZ_CHECK(WrittenBack(unchanged) == file);

  ChangeOneKey(path, file, choice, value);
  AddAKey(path, file, nameSource, value);
}

VANTREL_FUZZ_ENTRY(FuzzSettingsFile)
