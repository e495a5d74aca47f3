#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "joy_form.h"
#include "temp_dir.h"
#include "virtual_stick.h"

namespace {

const QString kTextStart =
    "Press Next-Button to calibrate your Joystick, or customize the Joystick-firebuttons. Cancel "
    "returns you to Main-program";
const QString kTextStops =
    "Move the Joystick as far as possible into every direction release it and then press the "
    "next-button";
const QString kTextCentre =
    "To avoid over-sensibility for Joystick-action we will now determine an \"unsensible range\" "
    "of Joystick-movement.Jiggle the Joystick round the center-position and press the "
    "Next-Button";
const QString kTextDone =
    "The Joystick is now configured completely.Press OK to save configuration or Cancel to "
    "abandon it";
const QString kTextNothingRead =
    "No joystick was read, so nothing was measured and the calibration is unchanged. Press "
    "Cancel to return to the main program.";

using Lines = std::vector<std::pair<std::string, std::string>>;

struct JoyCalibrationDialog : ::testing::Test {
  void SetUp() override {
    SKIP_WITH_REAL_JOYSTICK();
    stick = std::make_unique<VirtualStick>();
    joy = std::make_unique<TfrmJoy>();
  }

  OptionStore& Store(const std::string& options) {
    WriteFile(dir.File("vantrel.ini"), "[Options]\n" + options);
    store = std::make_unique<OptionStore>(dir.File("vantrel.ini"));
    return *store;
  }
  Lines StoreLines() const {
    Lines lines;
    for (const auto& line : store->lines()) lines.emplace_back(line.key, line.value);
    return lines;
  }

  template <typename W>
  W* Get(const char* name) {
    W* widget = joy->findChild<W*>(name);
    if (!widget) throw std::runtime_error(std::string("no control ") + name);
    return widget;
  }
  QPushButton* Button(const char* name) { return Get<QPushButton>(name); }
  QString Memo() { return Get<QPlainTextEdit>("Memo1")->toPlainText(); }
  bool Checked(const char* name) { return Get<QCheckBox>(name)->isChecked(); }
  int Slider(const char* name) { return Get<QSlider>(name)->value(); }

  // Moves the stick and lets the dialog measure it.
  void Move(uint16_t x, uint16_t y, uint16_t buttons = 0) {
    stick->Set(x, y, buttons);
    joy->IdleProc();
  }

  // Runs the Joystick button's work with `drive` operating the open dialog; drive ends by
  // pressing OK or Cancel.
  bool Run(const std::function<void()>& drive) {
    QTimer::singleShot(0, joy.get(), [&] {
      try {
        EXPECT_TRUE(joy->Timer1.isActive());
        drive();
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
      if (joy->isVisible()) {
        ADD_FAILURE() << "the dialog stayed open";
        joy->reject();
      }
    });
    return RunJoystickCalibration(
        *joy, *store, [&] { ticks.push_back("stop"); }, [&] { ticks.push_back("start"); });
  }

  // Steps 0 to 3 with the stick at its stops before and after the first Next, centred on
  // (32000, 33000) and jiggled in step 2.
  void Wizard() {
    EXPECT_EQ(joy->calibrationStep, 0);
    EXPECT_EQ(Memo(), kTextStart);
    Move(65000, 64000);
    Button("butNext")->click();
    EXPECT_EQ(Memo(), kTextStops);
    EXPECT_FALSE(Button("butOK")->isEnabled());
    Move(0, 0);
    Move(60000, 60000);
    stick->Set(32000, 33000);
    Button("butNext")->click();
    EXPECT_EQ(Memo(), kTextCentre);
    Move(31000, 34000);
    EXPECT_FALSE(Checked("chkCenter"));
    Move(33500, 32500);
    EXPECT_FALSE(Checked("chkCenter"));
    Button("butNext")->click();
    EXPECT_EQ(Memo(), kTextDone);
    EXPECT_EQ(joy->calibrationStep, 3);
    EXPECT_TRUE(Button("butOK")->isEnabled());
    EXPECT_FALSE(Button("butNext")->isEnabled());
  }

  TempDir dir;
  std::unique_ptr<OptionStore> store;
  std::unique_ptr<VirtualStick> stick;
  std::unique_ptr<TfrmJoy> joy;
  std::vector<std::string> ticks;
};

TEST_F(JoyCalibrationDialog, FullWizardThenOkStoresTheSixValuesInOrder) {
  Store("comPort=sim\n");
  const bool stored = Run([&] {
    Wizard();
    Button("butOK")->click();
  });
  EXPECT_TRUE(stored);
  // The maxima include the reading taken before the first Next.
  const Lines expected = {{"comPort", "sim"},       {"joyMaxX", "65000"},
                          {"joyMaxY", "64000"},     {"joyCentXMin", "31000"},
                          {"joyCentXMax", "33500"}, {"joyCentYMin", "32500"},
                          {"joyCentYMax", "34000"}};
  EXPECT_EQ(StoreLines(), expected);
  EXPECT_EQ(ticks, (std::vector<std::string>{"stop", "start"}));
  EXPECT_FALSE(joy->Timer1.isActive());
  EXPECT_TRUE(joy->callbackEnabled);
  EXPECT_EQ(joy->calibration.joyCentXMax, 33500);
}

TEST_F(JoyCalibrationDialog, CancelStoresNothingAndBringsBackTheStoredCalibration) {
  Store(
      "joyMaxX=40000\njoyMaxY=40000\njoyCentXMin=19000\njoyCentXMax=21000\n"
      "joyCentYMin=19000\njoyCentYMax=21000\n");
  joy->LoadJoystickCalibration(*store);
  const Lines before = StoreLines();
  const bool stored = Run([&] {
    Wizard();
    Button("butCancel")->click();
  });
  EXPECT_FALSE(stored);
  EXPECT_EQ(StoreLines(), before);
  EXPECT_EQ(joy->calibration.joyMaxX, 40000);
  EXPECT_EQ(joy->calibration.joyCentXMin, 19000);
  EXPECT_EQ(joy->calibration.joyCentYMax, 21000);
  EXPECT_EQ(ticks, (std::vector<std::string>{"stop", "start"}));
}

TEST_F(JoyCalibrationDialog, OkBeforeTheLastStepCancelsUntilOneCalibrationIsDone) {
  Store("joyMaxX=40000\njoyMaxY=0\njoyCentXMin=0\njoyCentXMax=0\njoyCentYMin=0\njoyCentYMax=0\n");
  joy->LoadJoystickCalibration(*store);
  const Lines before = StoreLines();
  EXPECT_FALSE(Run([&] {
    Move(50000, 100);
    Button("butOK")->click();
  }));
  EXPECT_EQ(StoreLines(), before);
  EXPECT_EQ(joy->calibration.joyMaxX, 40000);

  ASSERT_TRUE(Run([&] {
    Wizard();
    Button("butOK")->click();
  }));
  // From now on OK stores what it has, grown by this showing's readings.
  EXPECT_TRUE(Run([&] {
    EXPECT_EQ(joy->calibrationStep, 0);
    EXPECT_TRUE(Button("butNext")->isEnabled());
    EXPECT_EQ(Memo(), kTextStart);
    Move(65535, 100);
    Button("butOK")->click();
  }));
  EXPECT_EQ(store->ReadOption("joyMaxX"), "65535");
  EXPECT_EQ(store->ReadOption("joyMaxY"), "64000");
  EXPECT_EQ(store->ReadOption("joyCentXMin"), "31000");
}

TEST_F(JoyCalibrationDialog, NextAtStepOneCentresTheWindowOnTheDeflectedStick) {
  joy->calibration = {65535, 65535, 30000, 35000, 30000, 35000};
  joy->show();
  Button("butNext")->click();
  stick->Set(50000, 10000);
  Button("butNext")->click();
  EXPECT_EQ(joy->calibration.joyCentXMin, 50000);
  EXPECT_EQ(joy->calibration.joyCentXMax, 50000);
  EXPECT_EQ(joy->calibration.joyCentYMin, 10000);
  Move(52000, 9000);
  EXPECT_EQ(joy->calibration.joyCentXMin, 50000);
  EXPECT_EQ(joy->calibration.joyCentXMax, 52000);
  EXPECT_EQ(joy->calibration.joyCentYMin, 9000);
  EXPECT_EQ(joy->calibration.joyCentYMax, 10000);
  joy->hide();
}

TEST_F(JoyCalibrationDialog, TrackBarsAndCheckBoxesFollowTheStick) {
  joy->calibration = {65535, 65535, 30000, 35000, 30000, 35000};
  joy->show();
  Move(32768, 65535, kJoyButton1);
  EXPECT_EQ(Slider("horzTrackbar"), 8);
  EXPECT_EQ(Slider("vertTrackBar"), 16);
  EXPECT_TRUE(Checked("CheckBox1"));
  EXPECT_FALSE(Checked("CheckBox2"));
  EXPECT_TRUE(Checked("chkCenter"));
  Move(32768, 32768, kJoyButton2);
  EXPECT_FALSE(Checked("CheckBox1"));
  EXPECT_TRUE(Checked("CheckBox2"));
  EXPECT_FALSE(Checked("chkCenter"));

  // Halves round to the even neighbour.
  joy->calibration.joyMaxX = 32;
  Move(1, 32768);
  EXPECT_EQ(Slider("horzTrackbar"), 0);
  Move(3, 32768);
  EXPECT_EQ(Slider("horzTrackbar"), 2);
  Move(5, 32768);
  EXPECT_EQ(Slider("horzTrackbar"), 2);

  // A zero maximum is raised to 1 before it divides.
  joy->calibration.joyMaxX = 0;
  Move(0, 32768);
  EXPECT_EQ(joy->calibration.joyMaxX, 1);
  EXPECT_EQ(Slider("horzTrackbar"), 0);
  joy->hide();
}

TEST_F(JoyCalibrationDialog, MeasuresOnlyWhileShownAndStartsAfreshEachShowing) {
  joy->calibration = {65535, 65535, 30000, 35000, 30000, 35000};
  stick->Set(65535, 0);
  joy->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Slider("horzTrackbar") == 16; }, 10000));
  joy->hide();
  stick->Set(0, 0);
  QTest::qWait(200);
  EXPECT_EQ(Slider("horzTrackbar"), 16);

  joy->show();
  Button("butNext")->click();
  Button("butNext")->click();
  Button("butNext")->click();
  joy->hide();
  joy->show();
  EXPECT_EQ(joy->calibrationStep, 0);
  EXPECT_EQ(Memo(), kTextStart);
  EXPECT_TRUE(Button("butNext")->isEnabled());
  EXPECT_TRUE(Button("butOK")->isEnabled());
  EXPECT_EQ(joy->butOKModalResult(), QDialog::Accepted);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Slider("horzTrackbar") == 0; }, 10000));
  joy->hide();
}

TEST_F(JoyCalibrationDialog, WithoutAStickTheLastStepSaysNothingChanged) {
  Store(
      "joyMaxX=40000\njoyMaxY=40000\njoyCentXMin=19000\njoyCentXMax=21000\n"
      "joyCentYMin=19000\njoyCentYMax=21000\n");
  joy->LoadJoystickCalibration(*store);
  stick->Detach();
  const Lines before = StoreLines();
  const bool stored = Run([&] {
    joy->IdleProc();
    Button("butNext")->click();
    joy->IdleProc();
    Button("butNext")->click();
    joy->IdleProc();
    Button("butNext")->click();
    EXPECT_EQ(Memo(), kTextNothingRead);
    EXPECT_FALSE(Button("butNext")->isEnabled());
    ASSERT_TRUE(Button("butOK")->isEnabled());
    Button("butOK")->click();
  });
  EXPECT_FALSE(stored);
  EXPECT_EQ(StoreLines(), before);
  EXPECT_EQ(joy->calibration.joyCentXMax, 21000);
}

TEST_F(JoyCalibrationDialog, EveryTextIsReadableAtTheDialogsSize) {
  joy->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(joy.get()));
  auto* memo = Get<QPlainTextEdit>("Memo1");
  for (const QString& text : {kTextStart, kTextStops, kTextCentre, kTextDone, kTextNothingRead}) {
    memo->setPlainText(text);
    QCoreApplication::processEvents();
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0) << text.toStdString();
  }
  // The position label: its longest texts fit, and the status controls sit inside their box.
  auto* label = Get<QLabel>("lblPos");
  for (const QString& text :
       {QString("Position : no joystick connected"), QString("Position : [65535,65535]")}) {
    label->setText(text);
    EXPECT_LE(label->sizeHint().width(), label->width()) << text.toStdString();
  }
  auto* box = Get<QGroupBox>("GroupBox1");
  for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    EXPECT_TRUE(box->contentsRect().contains(w->geometry())) << w->objectName().toStdString();
  }
  joy->hide();
}

}  // namespace
