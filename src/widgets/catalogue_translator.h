// Hands every text the toolkit translates (tr(), the forms' captions, the toolkit's own button
// texts) to the program's message catalogue, so the windows speak the language the command
// line does, from the same catalogue.
#pragma once

#include <QTranslator>

class CatalogueTranslator : public QTranslator {
 public:
  using QTranslator::QTranslator;
  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override;
  bool isEmpty() const override { return false; }
};

// Binds the catalogue folder and installs one translator for the application; call after
// the application object exists (it sets the locale the catalogue follows).
void InstallCatalogueTranslator(const std::string& localeDir);
