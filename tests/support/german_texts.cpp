#include "german_texts.h"

#include <libintl.h>

#include <clocale>
#include <cstdlib>

#include "translate.h"

GermanTexts::GermanTexts(const std::string& localeDir)
    : locale_(std::setlocale(LC_ALL, nullptr)), folder_(::bindtextdomain(kTextDomain, nullptr)) {
  if (const char* language = std::getenv("LANGUAGE")) language_ = language;
  ::setenv("LANGUAGE", "de", 1);
  std::setlocale(LC_ALL, "C.UTF-8");
  InitMessages(localeDir);
}

// Binding the folder again also makes gettext forget the German it looked up.
GermanTexts::~GermanTexts() {
  language_ ? ::setenv("LANGUAGE", language_->c_str(), 1) : ::unsetenv("LANGUAGE");
  std::setlocale(LC_ALL, locale_.c_str());
  ::bindtextdomain(kTextDomain, folder_.c_str());
}
