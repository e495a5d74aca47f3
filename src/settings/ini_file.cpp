#include "ini_file.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "replacing_file.h"

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
  if (text.empty()) return ini;
  const size_t firstLf = text.find('\n');
  if (firstLf != std::string::npos && firstLf > 0 && text[firstLf - 1] == '\r') ini.eol_ = "\r\n";
  ini.finalEol_ = text.back() == '\n';
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    size_t stop = end;
    if (stop > pos && text[stop - 1] == '\r') --stop;
    ini.lines_.push_back(ParseLine(text.substr(pos, stop - pos)));
    pos = last ? end : end + 1;
  }
  return ini;
}

IniFile IniFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (::access(path.c_str(), F_OK) != 0) return IniFile{};
    throw std::runtime_error("Unable to read " + path);
  }
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str());
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
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), added);
    return;
  }
  if (!lines_.empty() && !lines_.back().text.empty()) lines_.push_back(ParseLine(""));
  lines_.push_back(ParseLine("[" + section + "]"));
  lines_.push_back(added);
}

std::string IniFile::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i].text;
    if (i + 1 < lines_.size() || finalEol_) text += eol_;
  }
  return text;
}

void IniFile::Save(const std::string& path) const {
  TReplacingFile file;
  if (!file.Open(path) || !file.Write(Text()) || !file.Commit()) {
    throw std::runtime_error("Unable to write to " + path);
  }
}
