#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>
#include <functional>
#include <utility>

#include "grid_window.h"
#include "paint_counter.h"

namespace {

TEST(ComboCellEditor, TypedLetterOpensTheListWithTheItemSelected) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.Select(1, 2);
  QTest::keyClick(w.grid, 'p');
  ASSERT_TRUE(w.Editing(w.letters));
  EXPECT_TRUE(w.letters->Combo()->isVisible());
  EXPECT_EQ(w.letters->Combo()->currentText(), "P");
  EXPECT_TRUE(w.grid->pendingChar.isNull());

  w.other->setFocus();  // leaving writes the choice
  EXPECT_EQ(w.grid->Cells(1, 2), "P");
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_FALSE(w.letters->Combo()->isVisible());

  // An editable list takes typed characters as its text instead.
  w.ids->SetStyle(csDropDown);
  w.Click(2, 3);
  ASSERT_TRUE(w.Editing(w.ids));
  QTest::keyClicks(w.ids->Combo(), "7");
  EXPECT_EQ(w.ids->Combo()->currentText(), "7");
}

TEST(ComboCellEditor, WithoutImmediateEditModeTheCellTextIsShown) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetImmediateEditMode(false);
  w.grid->SetCells(2, 3, "4");
  w.Select(2, 3);
  QTest::keyClick(w.grid, '6');
  ASSERT_TRUE(w.Editing(w.ids));
  EXPECT_EQ(w.ids->Combo()->currentText(), "4");
}

TEST(ComboCellEditor, UnknownCellTextShowsTheDefaultTextAndWritesIt) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetCells(1, 1, "X");
  w.grid->SetCells(2, 1, "9");
  w.Click(1, 1);
  EXPECT_EQ(w.letters->Combo()->currentText(), "M");
  w.Click(2, 1);  // ids has no default text
  EXPECT_EQ(w.grid->Cells(1, 1), "M");
  EXPECT_EQ(w.ids->Combo()->currentText(), "");
  w.other->setFocus();
  EXPECT_EQ(w.grid->Cells(2, 1), "");
}

TEST(ComboCellEditor, EnterReturnsToTheGridAndArrowsLeaveAList) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.Click(2, 2);
  QTest::keyClick(w.ids->Combo(), Qt::Key_Down);  // the list moves its selection
  EXPECT_TRUE(w.Editing(w.ids));
  const QString chosen = w.ids->Combo()->currentText();
  EXPECT_FALSE(chosen.isEmpty());
  QTest::keyClick(w.ids->Combo(), Qt::Key_Return);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_TRUE(w.grid->hasFocus());
  EXPECT_EQ(w.grid->Cells(2, 2), chosen);
  EXPECT_EQ(w.grid->Col(), 2);

  w.Click(2, 2);
  QTest::keyClick(w.ids->Combo(), Qt::Key_Right);  // a list always leaves
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Col(), 3);
}

// A combo with a text field (column 5): the caret decides whether Left and Right leave.
TEST(ComboCellEditor, ATextFieldLeavesOnlyFromItsEnds) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  TComboCellEditor words;
  words.SetStyle(csDropDown);
  words.SetItems({"alpha", "beta"});
  words.SetDefaultText("gamma");
  w.grid->Columns()[5]->SetEditor(&words);
  w.Click(5, 2);
  ASSERT_TRUE(w.Editing(&words));
  QLineEdit* field = words.Combo()->lineEdit();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->text(), "gamma");  // the empty cell shows the default

  field->setSelection(5, -5);  // all selected, the caret at the start
  QTest::keyClick(words.Combo(), Qt::Key_Left);
  EXPECT_TRUE(w.Editing(&words));
  field->setCursorPosition(2);
  QTest::keyClick(words.Combo(), Qt::Key_Right);
  EXPECT_TRUE(w.Editing(&words));
  field->setSelection(0, 5);  // all selected, the caret at the end
  QTest::keyClick(words.Combo(), Qt::Key_Right);
  EXPECT_TRUE(w.Editing(&words));
  field->setCursorPosition(5);
  QTest::keyClick(words.Combo(), Qt::Key_Right);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(5, 2), "gamma");
  w.grid->Columns()[5]->SetEditor(nullptr);
}

TEST(ComboCellEditor, TabLeavesAndAKeyChangedByTheHandlerReachesTheList) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetOptions(w.grid->Options() | goTabs);
  w.Click(2, 2);
  QTest::keyClick(w.ids->Combo(), Qt::Key_Tab);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Col(), 3);

  // Left made Down, and kept: the list moves on instead of leaving.
  w.ids->AllowEndEditEvent = [](QObject*, int& key, Qt::KeyboardModifiers, bool& endEdit) {
    if (key == Qt::Key_Left) {
      key = Qt::Key_Down;
      endEdit = false;
    }
  };
  w.grid->SetCells(2, 2, "3");
  w.Click(2, 2);
  ASSERT_EQ(w.ids->Combo()->currentText(), "3");
  QTest::keyClick(w.ids->Combo(), Qt::Key_Left);
  EXPECT_TRUE(w.Editing(w.ids));
  EXPECT_EQ(w.ids->Combo()->currentText(), "4");
  QTest::keyClick(w.ids->Combo(), Qt::Key_Return);
  EXPECT_EQ(w.grid->Cells(2, 2), "4");
  EXPECT_EQ(w.grid->Row(), 2);  // Return went no further than the list
}

TEST(UpDownCellEditor, TypedDigitBecomesTheTextWithTheCaretAfterIt) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetCells(3, 2, "120");
  w.Select(3, 2);
  QTest::keyClick(w.grid, '7');
  ASSERT_TRUE(w.Editing(w.number));
  TUpDownInplace* field = w.number->Field();
  EXPECT_EQ(field->text(), "7");
  EXPECT_EQ(field->cursorPosition(), 1);
  EXPECT_FALSE(field->hasSelectedText());
  EXPECT_FALSE(field->hasFrame());  // flush with the cell
  EXPECT_EQ(w.number->Arrows()->Position(), 7);
  // Enter writes the text and gives the grid back the keys, on the same cell.
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(3, 2), "7");
  EXPECT_EQ(w.grid->Row(), 2);
  EXPECT_TRUE(w.grid->hasFocus());
}

TEST(UpDownCellEditor, ClickShowsTheCellTextSelectedOrTheDefault) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.number->SetDefaultText("127");
  w.grid->SetCells(3, 2, "33");
  w.Click(3, 2);
  EXPECT_EQ(w.number->Field()->selectedText(), "33");
  w.Click(3, 3);
  EXPECT_EQ(w.number->Field()->text(), "127");
}

// Opens the number field on a cell holding `text` and presses `key` once.
QString Stepped(GridWindow& w, const QString& text, Qt::Key key) {
  w.other->setFocus();
  w.grid->SetCells(3, 5, text);
  w.Click(3, 5);
  QTest::keyClick(w.number->Field(), key);
  return w.number->Field()->text();
}

TEST(UpDownCellEditor, StepsStayWithinTheLimits) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  EXPECT_EQ(Stepped(w, "254", Qt::Key_Up), "254");
  EXPECT_EQ(Stepped(w, "0", Qt::Key_Down), "0");
  EXPECT_EQ(Stepped(w, "253", Qt::Key_Up), "254");
  EXPECT_EQ(Stepped(w, "1", Qt::Key_Down), "0");
  EXPECT_EQ(Stepped(w, "abc", Qt::Key_Up), "1");
  EXPECT_EQ(Stepped(w, "$10", Qt::Key_Up), "17");
  EXPECT_TRUE(w.Editing(w.number));  // Up and Down never leave the field
  w.number->SetIncrement(5);
  EXPECT_EQ(Stepped(w, "252", Qt::Key_Up), "252");
  EXPECT_EQ(Stepped(w, "3", Qt::Key_Down), "3");
  EXPECT_EQ(Stepped(w, "5", Qt::Key_Down), "0");
  EXPECT_EQ(w.number->Arrows()->Position(), 0);
}

TEST(UpDownCellEditor, ArrowClicksStepWithoutEndingTheEdit) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetCells(3, 1, "10");
  w.Click(3, 1);
  TInplaceUpDown* arrows = w.number->Arrows();
  ASSERT_TRUE(arrows->isVisible());
  EXPECT_EQ(arrows->geometry().left(), w.number->Field()->geometry().right() + 1);
  EXPECT_EQ(arrows->geometry().right(), w.grid->CellRect(3, 1).right());
  QTest::mouseClick(arrows->UpButton(), Qt::LeftButton);
  QTest::mouseClick(arrows->UpButton(), Qt::LeftButton);
  QTest::mouseClick(arrows->DownButton(), Qt::LeftButton);
  EXPECT_EQ(w.number->Field()->text(), "11");
  EXPECT_TRUE(w.Editing(w.number));
  w.other->setFocus();
  EXPECT_EQ(w.grid->Cells(3, 1), "11");
  EXPECT_FALSE(arrows->isVisible());
}

TEST(UpDownCellEditor, TheArrowsShareTheCellsHeightAndRepeatWhileHeld) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetDefaultRowHeight(12);  // less than an arrow button would ask for
  w.grid->SetCells(3, 1, "10");
  w.Click(3, 1);
  TInplaceUpDown* arrows = w.number->Arrows();
  ASSERT_TRUE(arrows->isVisible());
  const QRect up = arrows->UpButton()->geometry();
  const QRect down = arrows->DownButton()->geometry();
  EXPECT_EQ(up.top(), 0);
  EXPECT_EQ(up.bottom() + 1, down.top());
  EXPECT_EQ(down.bottom(), arrows->height() - 1);
  EXPECT_EQ(up.width(), arrows->width());

  QTest::mousePress(arrows->UpButton(), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.number->Field()->text().toInt() >= 13; }, 5000));
  QTest::mouseRelease(arrows->UpButton(), Qt::LeftButton);
  EXPECT_TRUE(w.Editing(w.number));
}

TEST(UpDownCellEditor, LeftAtTheStartWritesTheTextThenMovesLeft) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  QStringList written;
  w.grid->OnSetEditText = [&](TXStringGrid* grid, int col, int row, const QString& text) {
    written << QString("%1,%2=%3 at %4").arg(col).arg(row).arg(text).arg(grid->Col());
  };
  w.Click(3, 2);
  TUpDownInplace* field = w.number->Field();
  field->setText("42");
  field->setCursorPosition(1);
  QTest::keyClick(field, Qt::Key_Left);  // caret moves to 0, the edit goes on
  EXPECT_TRUE(w.Editing(w.number));
  EXPECT_EQ(field->cursorPosition(), 0);
  QTest::keyClick(field, Qt::Key_Left);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(3, 2), "42");
  EXPECT_EQ(written, QStringList({"3,2=42 at 3"}));  // written before the move
  EXPECT_EQ(w.grid->Col(), 2);
  EXPECT_TRUE(w.grid->hasFocus());

  w.Click(3, 2);  // all selected: Right only clears the selection
  QTest::keyClick(w.number->Field(), Qt::Key_Right);
  EXPECT_TRUE(w.Editing(w.number));
  QTest::keyClick(w.number->Field(), Qt::Key_Right);
  EXPECT_EQ(w.grid->Col(), 4);
}

TEST(UpDownCellEditor, AllowEndEditEventDecides) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.number->AllowEndEditEvent = [](QObject*, int& key, Qt::KeyboardModifiers, bool& endEdit) {
    if (key == Qt::Key_Left) endEdit = false;
    if (key == Qt::Key_Up) {
      key = Qt::Key_Down;  // leaves and moves the grid down instead
      endEdit = true;
    }
  };
  w.grid->SetCells(3, 2, "");
  w.Click(3, 2);
  QTest::keyClick(w.number->Field(), Qt::Key_Left);
  EXPECT_TRUE(w.Editing(w.number));
  w.number->Field()->setText("8");
  QTest::keyClick(w.number->Field(), Qt::Key_Up);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(3, 2), "8");
  EXPECT_EQ(w.grid->Row(), 3);
}

TEST(UpDownCellEditor, TabMovesOnOnlyWhenTheGridUsesTabs) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  // Without tabs in the grid, Tab leaves the field as it leaves any: the cell stays current.
  w.Click(3, 2);
  w.number->Field()->setText("7");
  QTest::keyClick(w.number->Field(), Qt::Key_Tab);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(3, 2), "7");
  EXPECT_EQ(w.grid->Col(), 3);
  EXPECT_TRUE(w.grid->hasFocus());

  w.grid->SetOptions(w.grid->Options() | goTabs);
  w.Click(3, 2);
  w.number->Field()->setText("9");
  QTest::keyClick(w.number->Field(), Qt::Key_Tab);
  EXPECT_EQ(w.grid->Cells(3, 2), "9");
  EXPECT_EQ(w.grid->Col(), 4);
  EXPECT_TRUE(w.grid->hasFocus());
  w.Click(3, 2);
  QTest::keyClick(w.number->Field(), Qt::Key_Backtab);
  EXPECT_EQ(w.grid->Col(), 2);
  EXPECT_TRUE(w.grid->hasFocus());
}

TEST(UpDownCellEditor, EditCellIsWrittenEvenWhenTheCurrentCellMoved) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.Click(3, 2);
  w.number->Field()->setText("5");
  w.grid->SetCurrentCell(3, 6);
  w.grid->FinishEdit();
  EXPECT_EQ(w.grid->Cells(3, 2), "5");
  EXPECT_EQ(w.grid->Cells(3, 6), "");
}

TEST(ButtonCellEditor, FillsTheCellByDefaultAndRunsOnClick) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  QList<QObject*> senders;
  w.button->OnClick = [&](QObject* sender) { senders << sender; };
  w.grid->SetCells(4, 2, "kept");
  w.Click(4, 2);
  TButtonInplace* button = w.button->Button();
  ASSERT_TRUE(button->isVisible());
  EXPECT_EQ(button->geometry(), w.grid->CellRect(4, 2));
  EXPECT_TRUE(button->hasFocus());
  EXPECT_EQ(button->text(), "Delete");
  EXPECT_TRUE(senders.isEmpty());
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(senders, QList<QObject*>({button, button}));  // once per click or Space
  QTest::keyClick(button, Qt::Key_Up);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_FALSE(button->isVisible());
  EXPECT_EQ(w.grid->Row(), 1);
  EXPECT_EQ(w.grid->Cells(4, 2), "kept");
  // Shown again after another editor made its control, it comes to the front.
  w.Click(2, 2);
  w.Click(4, 2);
  ASSERT_TRUE(button->isVisible());
  EXPECT_EQ(button->parentWidget()->children().last(), button);
}

TEST(ButtonCellEditor, HeldDownWhenTheFocusLeavesItComesUpWithoutAClick) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  int clicks = 0;
  w.button->OnClick = [&](QObject*) { ++clicks; };
  w.Click(4, 2);
  TButtonInplace* button = w.button->Button();
  QTest::keyPress(button, Qt::Key_Space);
  ASSERT_TRUE(button->isDown());
  w.other->setFocus();
  EXPECT_FALSE(button->isDown());
  QTest::keyRelease(button, Qt::Key_Space);
  EXPECT_EQ(clicks, 0);
}

// Keys the editor's handler keeps from leaving stay with the button: Tab and Shift+Tab as
// well as the arrows, which do not reach the grid either.
TEST(ButtonCellEditor, KeysKeptFromLeavingStayWithTheButton) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetOptions(w.grid->Options() | goTabs);
  QList<int> asked;
  w.button->AllowEndEditEvent = [&](QObject*, int& key, Qt::KeyboardModifiers, bool& endEdit) {
    asked << key;
    endEdit = false;
  };
  w.Click(4, 2);
  TButtonInplace* button = w.button->Button();
  for (const int key : {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Left, Qt::Key_Right, Qt::Key_Down}) {
    QTest::keyClick(button, static_cast<Qt::Key>(key));
    EXPECT_TRUE(w.Editing(w.button)) << key;
    EXPECT_TRUE(button->isVisible()) << key;
    EXPECT_EQ(w.grid->Col(), 4) << key;
    EXPECT_EQ(w.grid->Row(), 2) << key;
  }
  EXPECT_EQ(asked,
            QList<int>({Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Left, Qt::Key_Right, Qt::Key_Down}));
}

// A strip of four 8-pixel pictures: red, green, blue, yellow.
QPixmap FourPictures() {
  QImage strip(32, 8, QImage::Format_RGB32);
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  for (int i = 0; i < 4; ++i) {
    for (int x = 0; x < 8; ++x) {
      for (int y = 0; y < 8; ++y) strip.setPixelColor(i * 8 + x, y, colours[i]);
    }
  }
  return QPixmap::fromImage(strip);
}

QColor ShownPicture(const TButtonInplace* button) {
  return button->CurrentGlyph().toImage().pixelColor(0, 0);
}

// Normal, disabled, pressed and down pictures, each only where the strip has it. The strip is
// cut into NumGlyphs equal pictures.
TEST(ButtonCellEditor, TheStateChoosesThePictureTheStripHas) {
  TButtonCellEditor editor;
  editor.ShowAt(QRect(0, 0, 80, 20));
  TButtonInplace* button = editor.Button();
  ASSERT_NE(button, nullptr);
  button->setCheckable(true);
  editor.SetGlyph(FourPictures());
  struct Case {
    int count;
    QColor normal, disabled, pressed, down;
  };
  const Case cases[] = {{4, Qt::red, Qt::green, Qt::blue, Qt::yellow},
                        {3, Qt::red, Qt::green, Qt::blue, Qt::red},
                        {2, Qt::red, Qt::blue, Qt::red, Qt::red},  // halves: red+green, blue+yellow
                        {1, Qt::red, Qt::red, Qt::red, Qt::red}};
  for (const Case& c : cases) {
    editor.SetNumGlyphs(c.count);
    EXPECT_EQ(button->CurrentGlyph().width(), 32 / c.count) << c.count;
    EXPECT_EQ(ShownPicture(button), c.normal) << c.count;
    button->setEnabled(false);
    EXPECT_EQ(ShownPicture(button), c.disabled) << c.count;
    button->setEnabled(true);
    button->setDown(true);
    EXPECT_EQ(ShownPicture(button), c.pressed) << c.count;
    button->setDown(false);
    button->setChecked(true);
    EXPECT_EQ(ShownPicture(button), c.down) << c.count;
    button->setChecked(false);
  }
}

TEST(ButtonCellEditor, EveryChangeOfTheLookIsRedrawn) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.Click(4, 2);
  TButtonInplace* button = w.button->Button();
  ASSERT_TRUE(button->isVisible());
  PaintCounter counter{button};
  ExpectEachRedrawn(counter, {
                                 {"glyph", [&] { w.button->SetGlyph(FourPictures()); }},
                                 {"layout", [&] { w.button->SetLayout(blGlyphRight); }},
                                 {"margin", [&] { w.button->SetMargin(3); }},
                                 {"count", [&] { w.button->SetNumGlyphs(2); }},
                                 {"spacing", [&] { w.button->SetSpacing(5); }},
                             });
}

TEST(ButtonCellEditor, PlacementFollowsModeAndAlignment) {
  TButtonCellEditor editor;
  // New, it fills its cell, also one of 100 pixels or more, and centres glyph and caption
  // with nothing between them.
  editor.ShowAt(QRect(0, 0, 150, 120));
  EXPECT_EQ(editor.Button()->size(), QSize(150, 120));
  EXPECT_EQ(editor.Margin(), -1);
  EXPECT_EQ(editor.Spacing(), 0);
  EXPECT_EQ(editor.NumGlyphs(), 1);

  const QRect cell(100, 50, 81, 25);
  editor.SetWidth(50);
  editor.SetHeight(40);
  editor.SetHAlign(haCenter);
  editor.SetVAlign(vaBottom);
  editor.ShowAt(cell);
  // 40 x 10; centred as (100 + 181 - 40) / 2; ending at the cell's bottom edge.
  EXPECT_EQ(editor.Button()->geometry(), QRect(120, 65, 40, 10));

  editor.SetAlignMode(amAbsolute);
  editor.SetWidth(200);
  editor.SetHeight(0);
  editor.SetHAlign(haRight);
  editor.SetVAlign(vaTop);
  editor.ShowAt(cell);
  EXPECT_EQ(editor.Button()->geometry(), QRect(-19, 50, 200, 25));

  editor.SetAlignMode(amRelative);  // 200 per cent is capped
  EXPECT_EQ(editor.Width(), 100);
  editor.SetHeight(150);
  EXPECT_EQ(editor.Height(), 100);
  editor.SetHAlign(haLeft);
  editor.ShowAt(cell);
  EXPECT_EQ(editor.Button()->geometry(), cell);
}

TEST(ButtonCellEditor, GlyphAndCaptionFollowLayoutMarginAndSpacing) {
  const QRect wide(10, 20, 100, 30);  // x 10..109, centre (59, 34)
  const QRect tall(10, 20, 100, 60);  // y 20..79
  const QSize glyph(16, 16);
  const QSize text(40, 12);
  struct Case {
    QRect area;
    QSize glyph;
    TButtonLayout layout;
    int margin, spacing;
    QPoint glyphAt, textAt;  // top left corners
  };
  const Case cases[] = {
      // Margin -1 centres glyph, spacing and caption together: (100 - 16 - 4 - 40) / 2.
      {wide, glyph, blGlyphLeft, -1, 4, {30, 27}, {50, 29}},
      {wide, glyph, blGlyphLeft, 0, 4, {10, 27}, {30, 29}},
      {wide, glyph, blGlyphRight, 3, 4, {91, 27}, {47, 29}},
      {tall, glyph, blGlyphTop, -1, 4, {52, 34}, {40, 54}},
      {tall, glyph, blGlyphBottom, 2, -5, {52, 62}, {40, 50}},  // no negative spacing
      {wide, QSize(0, 0), blGlyphLeft, -1, 4, {}, {40, 29}},    // no glyph, no spacing
  };
  for (const Case& c : cases) {
    const TGlyphPlacement at =
        PlaceGlyphAndText(c.area, c.glyph, text, c.layout, c.margin, c.spacing);
    if (!c.glyph.isEmpty()) {
      EXPECT_EQ(at.glyph.topLeft(), c.glyphAt) << c.layout << " " << c.margin;
    }
    EXPECT_EQ(at.text.topLeft(), c.textAt) << c.layout << " " << c.margin;
    EXPECT_EQ(at.text.size(), text);
  }
}

}  // namespace
