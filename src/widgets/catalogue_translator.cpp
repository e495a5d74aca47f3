#include "catalogue_translator.h"

#include <QCoreApplication>
#include <QPointer>

#include "translate.h"

QString CatalogueTranslator::translate(const char*, const char* sourceText, const char*,
                                       int) const {
  if (sourceText == nullptr || *sourceText == '\0') return {};
  const char* found = Tr(sourceText);
  // The same pointer back means no translation: let the toolkit keep its own text.
  if (found == sourceText) return {};
  return QString::fromUtf8(found);
}

void InstallCatalogueTranslator(const std::string& localeDir) {
  InitMessages(localeDir);
  // Once per application object; tests make several in turn.
  static QPointer<CatalogueTranslator> installed;
  if (installed) return;
  installed = new CatalogueTranslator(QCoreApplication::instance());
  QCoreApplication::installTranslator(installed);
}
