// A small ini file that keeps everything it does not change: comments, blank lines, other
// sections, the letter case and order of keys, and the file's line ends.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The file is there but cannot be read: "Unable to read settings from %s: <reason>", the
// system's reason or "not a regular file". Nothing was read, and nothing should be written there.
class EUnreadableFile : public std::runtime_error {
 public:
  EUnreadableFile(const std::string& path, const std::string& reason);
};

// The path names a folder, a FIFO or a device.
class ENotRegularFile : public EUnreadableFile {
 public:
  explicit ENotRegularFile(const std::string& path);
};

class IniFile {
 public:
  IniFile() = default;

  // A missing file reads as an empty one; a path that is no regular file throws
  // ENotRegularFile, a file that exists but cannot be read EUnreadableFile.
  static IniFile Load(const std::string& path);
  static IniFile Parse(const std::string& text);

  // Key names of a section in file order (first occurrence of each); section names and key
  // names compare without regard to case.
  std::vector<std::string> SectionKeys(const std::string& section) const;
  std::optional<std::string> Read(const std::string& section, const std::string& key) const;
  // Replaces the value of an existing key in place, or adds the key (and the section).
  void Write(const std::string& section, const std::string& key, const std::string& value);

  std::string Text() const;
  // Writes the whole file beside the target and puts it in place; on failure throws
  // EDetailedError("Unable to write to <path>") with the system's reason as its detail, and
  // the old file stays as it was.
  void Save(const std::string& path) const;

 private:
  struct Line {
    std::string text;
    // The line end as it stands in the file: "\n", "\r\n", a lone "\r" at the very end, or
    // nothing for a last line without one.
    std::string eol;
    // For key lines: where the value starts and how long it is.
    size_t valueStart = 0;
    size_t valueLength = 0;
    bool isKey = false;
    bool isSection = false;
    std::string name;  // key or section name, trimmed
  };
  // Index range [first, last) of a section's body; nothing when the section is absent.
  std::optional<std::pair<size_t, size_t>> FindSection(const std::string& section) const;
  std::optional<size_t> FindKey(const std::string& section, const std::string& key) const;
  static Line ParseLine(const std::string& text);
  // Puts a new line before `at`, ended like the file's first line; appended after a last line
  // that has no line end, or only a lone CR, it takes over that ending.
  void InsertLine(size_t at, Line line);

  std::vector<Line> lines_;
  // Line end of lines this program adds: the one the file starts with.
  std::string eol_ = "\n";
};

bool SameTextIgnoringCase(const std::string& a, const std::string& b);
