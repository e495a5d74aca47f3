// The window under a German desktop: its captions, title, status line, questions and boxes.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "catalogue_translator.h"
#include "com_error.h"
#include "jog_pad.h"
#include "joy_form.h"
#include "ui_main_window.h"
#include "window_harness.h"

namespace {

// German for one test, as the program finds its catalogues in the build; English again after.
class GermanWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* language = std::getenv("LANGUAGE")) language_ = language;
    locale_ = std::setlocale(LC_ALL, nullptr);
    ::setenv("LANGUAGE", "de", 1);
    // Through "C" both ways: setting the locale already set keeps the texts looked up so far.
    std::setlocale(LC_ALL, "C");
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    InitPortMessages(SHIPPED_LOCALE_DIR);
    InstallCatalogueTranslator(SHIPPED_LOCALE_DIR);
  }
  void TearDown() override {
    if (language_) {
      ::setenv("LANGUAGE", language_->c_str(), 1);
    } else {
      ::unsetenv("LANGUAGE");
    }
    std::setlocale(LC_ALL, "C");
    std::setlocale(LC_ALL, locale_.c_str());
    InitPortMessages(SHIPPED_LOCALE_DIR);  // the port keeps its texts as looked up here
  }

 private:
  std::optional<std::string> language_;
  std::string locale_;
};

TEST_F(GermanWindow, CaptionsTitleMessagesAndBoxesAreGerman) {
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"comPort", "/dev/vantrel-no-such-port"}});
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0], "Serielle Schnittstelle kann nicht geöffnet werden (Systemfehlercode: 2)");
  EXPECT_EQ(w.windowTitle(), "Vantrel-Steuerung - nicht verbunden");
  const std::pair<QAbstractButton*, const char*> buttons[] = {
      {w.ui->btLoad, "Laden"},     {w.ui->btSave, "Speichern"},  {w.ui->exit, "Beenden"},
      {w.ui->options, "Optionen"}, {w.ui->btTeach, "Einlernen"}, {w.ui->btSvAll, "Alle"}};
  for (const auto& [button, german] : buttons) EXPECT_EQ(button->text(), german);
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
