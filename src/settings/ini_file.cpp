#include "ini_file.h"

#include <stdexcept>

#include "errors.h"
#include "regular_file.h"
#include "replacing_file.h"
#include "translate.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::pair<size_t, size_t> TrimmedRange(const std::string& s, size_t from, size_t to) {
  while (from < to && IsBlank(s[from])) ++from;
  while (to > from && IsBlank(s[to - 1])) --to;
  return {from, to};
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

IniFile::Line IniFile::ParseLine(const std::string& text) {
  Line line;
  line.text = text;
  const auto [first, last] = TrimmedRange(text, 0, text.size());
  if (first == last || text[first] == ';' || text[first] == '#') return line;
  if (text[first] == '[') {
    const size_t close = text.find(']', first);
    if (close != std::string::npos) {
      const auto [nf, nl] = TrimmedRange(text, first + 1, close);
      line.isSection = true;
      line.name = text.substr(nf, nl - nf);
    }
    return line;
  }
  const size_t eq = text.find('=', first);
  if (eq == std::string::npos) return line;
  const auto [kf, kl] = TrimmedRange(text, first, eq);
  const auto [vf, vl] = TrimmedRange(text, eq + 1, text.size());
  line.isKey = true;
  line.name = text.substr(kf, kl - kf);
  line.valueStart = vf;
  line.valueLength = vl - vf;
  return line;
}

IniFile IniFile::Parse(const std::string& text) {
  IniFile ini;
  const size_t firstLf = text.find('\n');
  if (firstLf != std::string::npos && firstLf > 0 && text[firstLf - 1] == '\r') ini.eol_ = "\r\n";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    size_t next = text.size();
    if (end != std::string::npos) {
      next = end + 1;
    } else {
      end = text.size();
    }
    // A CR before the LF, or a lone CR ending the file, belongs to the line end.
    if (end > pos && text[end - 1] == '\r') --end;
    Line line = ParseLine(text.substr(pos, end - pos));
    line.eol = text.substr(end, next - end);
    ini.lines_.push_back(std::move(line));
    pos = next;
  }
  return ini;
}

EUnreadableFile::EUnreadableFile(const std::string& path, const std::string& reason)
    : std::runtime_error(TrFormat("Unable to read settings from {1}: {2}", {path, reason})) {}

ENotRegularFile::ENotRegularFile(const std::string& path)
    : EUnreadableFile(path, Tr(kNotRegularFile)) {}

IniFile IniFile::Load(const std::string& path) {
  TRegularFile file(path);
  if (file.Missing()) return IniFile{};
  if (file.NotRegular()) throw ENotRegularFile(path);
  std::string text;
  if (!file.IsOpen() || !file.ReadAll(text)) throw EUnreadableFile(path, file.Reason());
  return Parse(text);
}

std::optional<std::pair<size_t, size_t>> IniFile::FindSection(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!lines_[i].isSection || !SameTextIgnoringCase(lines_[i].name, section)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !lines_[end].isSection) ++end;
    return std::make_pair(i + 1, end);
  }
  return std::nullopt;
}

std::optional<size_t> IniFile::FindKey(const std::string& section, const std::string& key) const {
  const auto range = FindSection(section);
  if (!range) return std::nullopt;
  for (size_t i = range->first; i < range->second; ++i) {
    if (lines_[i].isKey && SameTextIgnoringCase(lines_[i].name, key)) return i;
  }
  return std::nullopt;
}

std::vector<std::string> IniFile::SectionKeys(const std::string& section) const {
  std::vector<std::string> keys;
  const auto range = FindSection(section);
  if (!range) return keys;
  for (size_t i = range->first; i < range->second; ++i) {
    if (!lines_[i].isKey) continue;
    bool seen = false;
    for (const auto& k : keys) seen = seen || SameTextIgnoringCase(k, lines_[i].name);
    if (!seen) keys.push_back(lines_[i].name);
  }
  return keys;
}

std::optional<std::string> IniFile::Read(const std::string& section, const std::string& key) const {
  const auto at = FindKey(section, key);
  if (!at) return std::nullopt;
  const Line& line = lines_[*at];
  return line.text.substr(line.valueStart, line.valueLength);
}

void IniFile::Write(const std::string& section, const std::string& key, const std::string& value) {
  if (const auto at = FindKey(section, key)) {
    Line& line = lines_[*at];
    if (line.text.compare(line.valueStart, line.valueLength, value) == 0) return;
    line.text.replace(line.valueStart, line.valueLength, value);
    line.valueLength = value.size();
    return;
  }
  const Line added = ParseLine(key + "=" + value);
  if (const auto range = FindSection(section)) {
    // After the section's last non-blank line, so blank separators stay at its end.
    size_t insert = range->second;
    while (insert > range->first &&
           lines_[insert - 1].text.find_first_not_of(" \t") == std::string::npos) {
      --insert;
    }
    InsertLine(insert, added);
    return;
  }
  if (!lines_.empty() && !lines_.back().text.empty()) InsertLine(lines_.size(), ParseLine(""));
  InsertLine(lines_.size(), ParseLine("[" + section + "]"));
  InsertLine(lines_.size(), added);
}

void IniFile::InsertLine(size_t at, Line line) {
  line.eol = eol_;
  // A lone CR ends the file but no line for a reader: text put after it would join its line.
  // It becomes CR LF, not the file's own end: a line whose text ends in CR keeps that CR.
  Line* last = lines_.empty() ? nullptr : &lines_.back();
  if (at == lines_.size() && last != nullptr && (last->eol.empty() || last->eol == "\r")) {
    line.eol = last->eol;
    last->eol = last->eol.empty() ? eol_ : "\r\n";
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string IniFile::Text() const {
  std::string text;
  for (const Line& line : lines_) text += line.text + line.eol;
  return text;
}

void IniFile::Save(const std::string& path) const {
  TReplacingFile file;
  if (!file.Open(path) || !file.Write(Text()) || !file.Commit()) {
    throw EDetailedError(TrFormat("Unable to write to {1}", {path}), file.Reason());
  }
}
