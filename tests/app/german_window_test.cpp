// The window under a German desktop: its captions, title, status line, questions and boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "build_paths.h"
#include "catalogue_translator.h"
#include "com_error.h"
#include "german_texts.h"
#include "jog_pad.h"
#include "joy_form.h"
#include "ui_main_window.h"
#include "window_harness.h"

namespace {

// German while it lives, the serial link's texts too, which it keeps as it looked them up.
struct German {
  German() : texts(std::in_place, ShippedLocaleDir()) { InitPortMessages(ShippedLocaleDir()); }
  ~German() {
    texts.reset();
    InitPortMessages(ShippedLocaleDir());
  }
  std::optional<GermanTexts> texts;
};

TEST(GermanWindow, CaptionsTitleMessagesAndBoxesAreGerman) {
  const German german;
  InstallCatalogueTranslator(ShippedLocaleDir());
  WindowHarness h;
  TfrmVantrel& w = h.Start({{"comPort", "/dev/vantrel-no-such-port"}});
  ASSERT_EQ(h.errors.size(), 1);
  EXPECT_EQ(h.errors[0].toStdString(), "Serielle Schnittstelle kann nicht geöffnet werden: " +
                                           std::string(std::strerror(ENOENT)) + " (Fehler 2)");
  EXPECT_EQ(w.windowTitle(), "Vantrel-Steuerung - nicht verbunden");
  const std::pair<QAbstractButton*, const char*> buttons[] = {
      {w.ui->btLoad, "Laden"},     {w.ui->btSave, "Speichern"},  {w.ui->exit, "Beenden"},
      {w.ui->options, "Optionen"}, {w.ui->btTeach, "Einlernen"}, {w.ui->btSvAll, "Alle"}};
  for (const auto& [button, text] : buttons) EXPECT_EQ(button->text(), text);
  // Every caption fits its button whole, without a shortened word.
  for (const QAbstractButton* button : w.findChildren<QAbstractButton*>()) {
    const QString text = button->text();
    if (text.isEmpty()) continue;
    EXPECT_FALSE(text.endsWith('.')) << text.toStdString();
    EXPECT_LE(button->fontMetrics().horizontalAdvance(text), button->width() - 4)
        << text.toStdString();
  }
  EXPECT_EQ(w.ui->btPlay->toolTip(), "Abspielen");
  EXPECT_EQ(w.ui->GroupBox1->title(), "Servopositionen aufzeichnen");
  EXPECT_EQ(w.ui->lbServo1->text(), "Servo1: 127");
  EXPECT_EQ(w.jogPad()->windowTitle(), "Tippfeld");
  EXPECT_EQ(w.findChild<TfrmJoy*>()->windowTitle(), "Joystick einrichten");

  // Texts set as the program runs.
  w.ui->btPlay->click();
  EXPECT_EQ(w.ui->lbMessage->text(), "Nicht verbunden: Arm nicht bewegt");
  w.ui->btSv1->click();
  h.answer = false;
  w.ui->btClearScript->click();
  ASSERT_EQ(h.questions.size(), 1);
  EXPECT_EQ(h.questions[0], "1 ungespeicherten Befehl verwerfen?");
}

}  // namespace
