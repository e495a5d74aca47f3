// The window under a German desktop: its captions, title, status line, questions and boxes.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <clocale>
#include <cstdlib>
#include <string>

#include "catalogue_translator.h"
#include "com_error.h"
#include "jog_pad.h"
#include "joy_form.h"
#include "ui_main_window.h"
#include "window_harness.h"

namespace {

// German from the catalogues the build ships while it lives, English again after. The locale
// goes through "C": set again to the same, it would keep the texts gettext looked up so far.
struct German {
  German() { Use("de", "C.UTF-8"); }
  ~German() { Use(nullptr, before.c_str()); }
  static void Use(const char* language, const char* locale) {
    language ? ::setenv("LANGUAGE", language, 1) : ::unsetenv("LANGUAGE");
    std::setlocale(LC_ALL, "C");
    std::setlocale(LC_ALL, locale);
    InitPortMessages(SHIPPED_LOCALE_DIR);  // the port keeps its texts as looked up here
  }
  const std::string before = std::setlocale(LC_ALL, nullptr);
};

TEST(GermanWindow, CaptionsTitleMessagesAndBoxesAreGerman) {
  const German german;
  InstallCatalogueTranslator(SHIPPED_LOCALE_DIR);
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"comPort", "/dev/vantrel-no-such-port"}});
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "Serielle Schnittstelle kann nicht geöffnet werden (Systemfehlercode: 2)");
  EXPECT_EQ(w.windowTitle(), "Vantrel-Steuerung - nicht verbunden");
  const std::pair<QAbstractButton*, const char*> buttons[] = {
      {w.ui->btLoad, "Laden"},     {w.ui->btSave, "Speichern"},  {w.ui->exit, "Beenden"},
      {w.ui->options, "Optionen"}, {w.ui->btTeach, "Einlernen"}, {w.ui->btSvAll, "Alle"}};
  for (const auto& [button, text] : buttons) EXPECT_EQ(button->text(), text);
  EXPECT_EQ(w.ui->btPlay->toolTip(), "Abspielen");
  EXPECT_EQ(w.ui->GroupBox1->title(), "Servopositionen aufzeichnen");
  EXPECT_EQ(w.ui->lbServo1->text(), "Servo1: 127");
  EXPECT_EQ(w.jogPad()->windowTitle(), "Tippfeld");
  EXPECT_EQ(w.findChild<TfrmJoy*>()->windowTitle(), "Joystick einrichten");

  // Texts set as the program runs.
  w.ui->btPlay->click();
  EXPECT_EQ(w.ui->lbMessage->text(), "Nicht verbunden: Der Arm wurde nicht bewegt");
  w.ui->btSv1->click();
  h.answer = false;
  w.ui->btClearScript->click();
  ASSERT_EQ(h.questions.size(), 1);
  EXPECT_EQ(h.questions[0], "1 ungespeicherten Befehl verwerfen?");
}

}  // namespace
