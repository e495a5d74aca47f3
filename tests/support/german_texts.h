// The program's texts in German while it lives: LANGUAGE=de, a UTF-8 locale and the catalogue
// folder the build makes; then the language, locale and folder from before, so the tests after
// it read English again.
#pragma once

#include <optional>
#include <string>

class GermanTexts {
 public:
  explicit GermanTexts(const std::string& localeDir);
  ~GermanTexts();
  GermanTexts(const GermanTexts&) = delete;
  GermanTexts& operator=(const GermanTexts&) = delete;

 private:
  std::string locale_;
  std::string folder_;
  std::optional<std::string> language_;
};
