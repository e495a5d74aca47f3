#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>
#include <tuple>

#include "jog_field.h"
#include "jog_pad.h"
#include "joy_mapping.h"
#include "paint_counter.h"

namespace {

QPoint Centre(const TJogField* field) {
  return field->KnobCentre().toPoint();
}

// A pad on screen, as large as the program shows it.
class ShownPad : public ::testing::Test {
 protected:
  void SetUp() override {
    pad.resize(160, 190);
    pad.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pad));
  }
  TfrmJogPad pad;
};

TEST(JogPadMode, OneAndZeroAreFixedAnythingElseIsAuto) {
  EXPECT_EQ(ParseJogPadMode("1"), JogPadMode::Always);
  EXPECT_EQ(ParseJogPadMode("0"), JogPadMode::Never);
  EXPECT_EQ(ParseJogPadMode("auto"), JogPadMode::Auto);
  EXPECT_EQ(ParseJogPadMode(""), JogPadMode::Auto);
  EXPECT_EQ(ParseJogPadMode(" 1"), JogPadMode::Auto);
}

TEST_F(ShownPad, DraggingTheKnobDeflectsItAndLettingGoCentresIt) {
  TJogField* field = pad.field();
  EXPECT_FALSE(pad.Engaged());

  const QPoint start = Centre(field);
  QTest::mousePress(field, Qt::LeftButton, {}, start);
  QTest::mouseMove(field, QPoint(field->width() - 1, start.y()));
  EXPECT_TRUE(pad.Engaged());
  JogPadInput in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 2);
  EXPECT_DOUBLE_EQ(in.axisY, 1);
  EXPECT_EQ(in.buttons, 0);

  // Up is the stick pushed forward: axisY 2. Beyond the field the knob stays at its edge.
  QTest::mouseMove(field, QPoint(start.x(), -50));
  in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 1);
  EXPECT_DOUBLE_EQ(in.axisY, 2);

  QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(start.x(), -50));
  EXPECT_TRUE(field->Centred());
  // One centred reading is still owed, so the tick stops the arm; then the pad is idle.
  ASSERT_TRUE(pad.Engaged());
  in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 1);
  EXPECT_DOUBLE_EQ(in.axisY, 1);
  EXPECT_FALSE(pad.Engaged());
}

// The knob moves the arm from 15 % of its travel, slowly there and faster the further out: the
// ticks that step a full step, out of 20.
TEST_F(ShownPad, TheKnobStepsOnMoreTicksTheFurtherOutItIs) {
  const std::tuple<double, int> cases[] = {{0.14, 0}, {0.15, 2}, {0.575, 11}, {1, 20}, {-1, 20}};
  for (const auto& [deflection, steps] : cases) {
    pad.Deflect(1 + deflection, 1);
    int stepped = 0;
    for (int tick = 0; tick < 20; ++tick)
      stepped += pad.TakeInput().axisX == 1 + (deflection > 0 ? 1 : -1);
    EXPECT_EQ(stepped, steps) << deflection;
    pad.Deflect(1, 1);
    pad.TakeInput();
  }
}

// A box that opens while the knob is dragged takes the mouse: the release would never come.
TEST_F(ShownPad, AModalBoxLetsGoOfTheKnobAndTheButtons) {
  TJogField* field = pad.field();
  QTest::mousePress(field, Qt::LeftButton, {}, Centre(field));
  QTest::mouseMove(field, QPoint(field->width() - 1, Centre(field).y()));
  pad.SetButton(1, true);
  QDialog box;
  box.setModal(true);
  box.show();
  const JogPadInput in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 1);
  EXPECT_EQ(in.buttons, 0);
}

// The knob's travel fills the field, less the knob and a pixel; a drag half-way out is half a
// deflection.
TEST_F(ShownPad, TheKnobTravelsTheWholeFieldInProportion) {
  TJogField* field = pad.field();
  const QPointF centre = field->KnobCentre();
  pad.Deflect(2, 1);
  const double reach = field->KnobCentre().x() - centre.x();
  EXPECT_DOUBLE_EQ(reach, (std::min(field->width(), field->height()) - 2 * 12 - 2) / 2.0);
  pad.Deflect(1, 1);

  QTest::mousePress(field, Qt::LeftButton, {}, centre.toPoint());
  QTest::mouseMove(field, (centre + QPointF(reach / 2, 0)).toPoint());
  EXPECT_NEAR(field->axisX(), 1.5, 0.02);
  QTest::mouseMove(field, (centre + QPointF(0, -reach / 2)).toPoint());
  EXPECT_NEAR(field->axisY(), 1.5, 0.02);
  QTest::mouseRelease(field, Qt::LeftButton, {}, centre.toPoint());
}

// The field is drawn on the Base colour inside a Mid border, with the dead zone's dashed square
// round the centre.
TEST_F(ShownPad, TheFieldIsDrawnOnBaseWithItsDeadZoneCentred) {
  TJogField* field = pad.field();
  const QImage image = field->grab().toImage();
  const QPoint c = Centre(field);
  const int half = (std::min(field->width(), field->height()) - 2) / 2;
  const int dead = static_cast<int>(0.9 * (half - 12));
  const QColor base = field->palette().color(QPalette::Base);
  const QColor mid = field->palette().color(QPalette::Mid);
  ASSERT_LT(qGray(mid.rgb()), qGray(base.rgb()));
  EXPECT_EQ(image.pixelColor(c.x() - half + 3, c.y() - half + 3), base);
  // The border: some of it darker than the inside, none of it darker than Mid.
  int darkest = 255;
  for (int x = c.x() - half - 1; x <= c.x() - half + 1; ++x) {
    darkest = std::min(darkest, qGray(image.pixel(x, c.y() - half / 2)));
  }
  EXPECT_LT(darkest, qGray(base.rgb()));
  EXPECT_GE(darkest, qGray(mid.rgb()) - 3);
  // The dead zone's left side, above the centre line.
  int marked = 0;
  for (int x = c.x() - dead - 1; x <= c.x() - dead + 1; ++x) {
    for (int y = c.y() - dead + 4; y < c.y() - 4; ++y) marked += image.pixelColor(x, y) != base;
  }
  EXPECT_GT(marked, 0);

  // The knob: grey at rest, red when pushed, with an outline darker than the field's lines.
  EXPECT_EQ(image.pixelColor(c + QPoint(4, 4)), QColor(150, 150, 150));
  int outline = 255;
  for (int x = c.x() + 10; x <= c.x() + 14; ++x) {
    outline = std::min(outline, qGray(image.pixel(x, c.y() + 2)));
  }
  EXPECT_LT(outline, 100) << "the outline is dark, darker than the knob and the field's lines";
  // Drawn smooth: where the outline crosses a pixel only in part, the pixel takes a blend.
  int blended = 0;
  for (int y = c.y() + 2; y <= c.y() + 8; ++y) {
    for (int x = c.x() + 8; x <= c.x() + 14; ++x) {
      const int gray = qGray(image.pixel(x, y));
      blended += gray > outline + 10 && gray < 140;
    }
  }
  EXPECT_GT(blended, 0);
  pad.Deflect(2, 1);
  const QPoint pushed = Centre(field);
  EXPECT_EQ(field->grab().toImage().pixelColor(pushed + QPoint(4, 4)), QColor(220, 60, 40));
}

// How much ink a line lays across a scan, in pixels of full strength: one for a line one
// pixel wide, however the smoothing spreads it.
double Ink(const QImage& image, QPoint from, QPoint step, int count, int background, int ink) {
  double sum = 0;
  for (int i = 0; i < count; ++i, from += step) {
    sum += (background - qGray(image.pixel(from))) / double(background - ink);
  }
  return sum;
}

TEST_F(ShownPad, TheDeadZoneIsAThinLineAndFocusThickensTheKnobsOutlineByAPixel) {
  TJogField* field = pad.field();
  const QPoint c = Centre(field);
  const int half = (std::min(field->width(), field->height()) - 2) / 2;
  const int dead = static_cast<int>(0.9 * (half - 12));
  const int base = qGray(field->palette().color(QPalette::Base).rgb());
  const int midlight = qGray(field->palette().color(QPalette::Midlight).rgb());
  ASSERT_GT(base - midlight, 10);
  QImage image = field->grab().toImage();
  // Across the dead zone's left side, on the rows of its dashes: the strongest is one pixel.
  double strongest = 0;
  for (int y = c.y() - dead + 4; y < c.y() - 4; ++y) {
    strongest = std::max(strongest, Ink(image, {c.x() - dead - 4, y}, {1, 0}, 9, base, midlight));
  }
  EXPECT_NEAR(strongest, 1, 0.3);

  // Across the knob's right edge, with and without the focus: a pixel more of the outline,
  // half over the grey knob and half over the field.
  field->clearFocus();
  const QImage plain = field->grab().toImage();
  field->setFocus();
  ASSERT_TRUE(field->hasFocus());
  const QImage focused = field->grab().toImage();
  double darker = 0;
  for (int x = c.x() + 6; x <= c.x() + 18; ++x) {
    darker += qGray(plain.pixel(x, c.y())) - qGray(focused.pixel(x, c.y()));
  }
  const double expected = (150 - 40) / 2.0 + (base - 40) / 2.0;
  EXPECT_NEAR(darker, expected, expected / 3) << "one pixel more, not two";
}

TEST_F(ShownPad, F5HidesThePadAndOtherKeysDoNot) {
  QTest::keyClick(&pad, Qt::Key_X);
  EXPECT_TRUE(pad.isVisible());
  QTest::keyClick(&pad, Qt::Key_F5);
  EXPECT_FALSE(pad.isVisible());

  // Held down on the field, its repeats are passed on like any key the field does not use.
  pad.show();
  QKeyEvent repeated(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(pad.field(), &repeated);
  EXPECT_FALSE(pad.isVisible());
}

TEST_F(ShownPad, ArrowKeysPushTheKnobToTheEdgeWhileHeld) {
  TJogField* field = pad.field();
  QTest::keyPress(field, Qt::Key_Left);
  QTest::keyPress(field, Qt::Key_Down);
  JogPadInput in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 0);
  EXPECT_DOUBLE_EQ(in.axisY, 0);
  QTest::keyRelease(field, Qt::Key_Left);
  in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 1);
  EXPECT_DOUBLE_EQ(in.axisY, 0);
  QTest::keyRelease(field, Qt::Key_Down);
  EXPECT_TRUE(field->Centred());
  pad.TakeInput();
  EXPECT_FALSE(pad.Engaged());

  QTest::keyPress(field, Qt::Key_Right);
  QTest::keyPress(field, Qt::Key_Up);
  in = pad.TakeInput();
  EXPECT_DOUBLE_EQ(in.axisX, 2);
  EXPECT_DOUBLE_EQ(in.axisY, 2);
  QTest::keyRelease(field, Qt::Key_Right);
  QTest::keyRelease(field, Qt::Key_Up);
  EXPECT_TRUE(field->Centred());

  // The focus goes elsewhere while a key holds the knob out, and the key's release with it:
  // the knob lets go rather than jog on.
  field->setFocus();
  ASSERT_TRUE(field->hasFocus());
  QTest::keyPress(field, Qt::Key_Right);
  ASSERT_FALSE(field->Centred());
  field->clearFocus();
  EXPECT_TRUE(field->Centred());
}

TEST_F(ShownPad, EveryMoveOfTheKnobIsRedrawn) {
  PaintCounter counter{pad.field()};
  ExpectEachRedrawn(counter, {{"pushed", [this] { pad.Deflect(2, 1); }},
                              {"pushed further", [this] { pad.Deflect(2, 0); }},
                              {"let go", [this] { pad.Deflect(1, 1); }}});
}

TEST_F(ShownPad, ButtonsAreHeldExceptTheGroupSwitchWhichCountsOncePerPress) {
  QTest::mousePress(pad.button(1), Qt::LeftButton);
  QTest::mousePress(pad.button(4), Qt::LeftButton);
  EXPECT_EQ(pad.TakeInput().buttons, kJoyButton1 | 8);
  EXPECT_EQ(pad.TakeInput().buttons, kJoyButton1 | 8);
  QTest::mouseRelease(pad.button(1), Qt::LeftButton);
  QTest::mouseRelease(pad.button(4), Qt::LeftButton);
  EXPECT_EQ(pad.TakeInput().buttons, 0);
  EXPECT_FALSE(pad.Engaged());

  QTest::mousePress(pad.button(3), Qt::LeftButton);
  ASSERT_TRUE(pad.Engaged());
  EXPECT_EQ(pad.TakeInput().buttons, kJoyButton3);
  EXPECT_FALSE(pad.Engaged());  // still held, but the switch has been handed on
  QTest::mouseRelease(pad.button(3), Qt::LeftButton);
  EXPECT_FALSE(pad.Engaged());
}

// Letting go of a held button still owes one reading without it, which stops the servo.
// The program ends with the focus on the pad's knob while an arrow key holds it out: the field
// lets go as it loses the focus, and the pad is by then half destroyed.
TEST(JogPad, DestroyedWhileItsFocusedKnobIsPushed) {
  auto pad = std::make_unique<TfrmJogPad>();
  pad->show();
  QApplication::setActiveWindow(pad.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(pad.get()));
  pad->field()->setFocus();
  QTest::keyPress(pad->field(), Qt::Key_Left);
  ASSERT_TRUE(pad->field()->hasFocus());
  ASSERT_FALSE(pad->field()->Centred());
  pad.reset();  // crashed here, on the half-destroyed pad
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

TEST(JogPad, LettingGoOfAButtonOwesOneReadingAndOnlyFourButtonsCount) {
  TfrmJogPad pad;
  pad.SetButton(1, true);
  EXPECT_EQ(pad.TakeInput().buttons, kJoyButton1);
  pad.SetButton(1, false);
  ASSERT_TRUE(pad.Engaged());
  EXPECT_EQ(pad.TakeInput().buttons, 0);
  EXPECT_FALSE(pad.Engaged());
  pad.SetButton(5, true);
  pad.SetButton(0, true);
  EXPECT_FALSE(pad.Engaged());
  EXPECT_EQ(pad.TakeInput().buttons, 0);
}

TEST(JogPad, ItsReadingsDriveTheMappingLikeAStick) {
  TfrmJogPad pad;
  ServoState state;
  pad.Deflect(2, 0);
  JogPadInput in = pad.TakeInput();
  JoystickToDirections(state, in.buttons, in.axisX, in.axisY);
  EXPECT_EQ(state.direction[1], 1);
  EXPECT_EQ(state.direction[2], -1);
  pad.SetButton(2, true);
  pad.SetButton(3, true);
  in = pad.TakeInput();
  JoystickToDirections(state, in.buttons, in.axisX, in.axisY);
  EXPECT_EQ(state.jogGroup, 3);
  EXPECT_EQ(state.direction[4], 1);
  EXPECT_EQ(state.direction[6], 1);
  // Deflections short of nine tenths leave the servo at rest, as with a stick.
  pad.Deflect(1.85, 1);
  in = pad.TakeInput();
  JoystickToDirections(state, in.buttons, in.axisX, in.axisY);
  EXPECT_EQ(state.jogGroup, 3);
  EXPECT_EQ(state.direction[4], 0);
}

}  // namespace
