#include "translate.h"

#include <libintl.h>

#include <vector>

void InitMessages(const std::string& localeDir) {
  ::bindtextdomain(kTextDomain, localeDir.c_str());
  ::bind_textdomain_codeset(kTextDomain, "UTF-8");
}

const char* Tr(const char* english) {
  // An empty msgid would return the catalogue's header.
  if (english == nullptr || *english == '\0') return english;
  return ::dgettext(kTextDomain, english);
}

const char* TrN(const char* one, const char* many, unsigned long n) {
  return ::dngettext(kTextDomain, one, many, n);
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  const std::vector<std::string_view> given(args);
  std::string out;
  out.reserve(pattern.size() + 16 * given.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
        pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const size_t index = static_cast<size_t>(pattern[i + 1] - '1');
      if (index < given.size()) {
        out += given[index];
        i += 2;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::string TrFormat(const char* english, std::initializer_list<std::string_view> args) {
  return FormatText(Tr(english), args);
}
