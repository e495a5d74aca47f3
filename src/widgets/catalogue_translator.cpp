#include "catalogue_translator.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
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
  QCoreApplication* app = QCoreApplication::instance();
  // The toolkit's own texts (file dialogs, standard buttons) from its own catalogue, where
  // installed; the user interface languages follow LANGUAGE as gettext does.
  auto* toolkit = new QTranslator(app);
  if (toolkit->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(toolkit);
  } else {
    delete toolkit;
  }
  // Installed last, so asked first: the program's texts win over the toolkit's.
  installed = new CatalogueTranslator(app);
  QCoreApplication::installTranslator(installed);
}
