// The windows' texts under a German locale: the program's catalogue first, the toolkit's own
// catalogue for its own texts.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "build_paths.h"
#include "catalogue_translator.h"
#include "german_texts.h"

namespace {

TEST(CatalogueTranslator, GermanFromTheProgramsCatalogueThenTheToolkits) {
  const GermanTexts german(ShippedLocaleDir());
  InstallCatalogueTranslator(ShippedLocaleDir());
  EXPECT_EQ(QCoreApplication::translate("TfrmOptions", "Cancel"), QStringLiteral("Abbrechen"));
  // Not in the program's catalogue: the toolkit's own, which the set-up installs.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
  EXPECT_EQ(QCoreApplication::translate("Any", "no such text"), QStringLiteral("no such text"));
}

}  // namespace
