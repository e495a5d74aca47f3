// The windows' texts under a German locale: the program's catalogue first, the toolkit's own
// catalogue for its own texts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <clocale>
#include <cstdlib>

#include "catalogue_translator.h"

namespace {

TEST(CatalogueTranslator, GermanFromTheProgramsCatalogueThenTheToolkits) {
  ::setenv("LANGUAGE", "de", 1);
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  InstallCatalogueTranslator(SHIPPED_LOCALE_DIR);
  EXPECT_EQ(QCoreApplication::translate("TfrmOptions", "Cancel"), QStringLiteral("Abbrechen"));
  // Not in the program's catalogue: the toolkit's own, which the set-up installs.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
  EXPECT_EQ(QCoreApplication::translate("Any", "no such text"), QStringLiteral("no such text"));
  ::unsetenv("LANGUAGE");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
