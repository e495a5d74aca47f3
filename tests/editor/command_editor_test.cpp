#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "button_editor.h"
#include "combo_editor.h"
#include "command_editor.h"
#include "errors.h"
#include "script_line.h"
#include "updown_editor.h"
#include "xstring_grid.h"

namespace {

void Add(TCommandList& list, char letter, int servoId, int value) {
  auto command = std::make_unique<TServoCommand>();
  command->letter = letter;
  command->servoId = static_cast<uint8_t>(servoId);
  command->value = static_cast<uint8_t>(value);
  list.push_back(std::move(command));
}

TCommandList Script(std::initializer_list<std::tuple<char, int, int>> lines) {
  TCommandList list;
  for (const auto& [letter, servo, value] : lines) Add(list, letter, servo, value);
  return list;
}

// The script most edits start from.
TCommandList ThreeMoves() {
  return Script({{'M', 1, 10}, {'M', 2, 20}, {'M', 3, 30}});
}
const char kThreeMoves[] = "M 1 10, M 2 20, M 3 30";

// A command in every row of the grid, the last one M 1 99.
TCommandList FullTable() {
  TCommandList list;
  for (int i = 1; i <= 499; ++i) Add(list, 'M', 1, i % 200);
  return list;
}

// "M 1 127, P 0 5"
std::string Text(const TCommandList& list) {
  std::string text;
  for (const auto& command : list) {
    if (!text.empty()) text += ", ";
    text += command->letter + (" " + std::to_string(command->servoId)) + " " +
            std::to_string(command->value);
  }
  return text;
}

// Relative luminance and contrast ratio as the usual readability rule measures them.
double Luminance(const QColor& c) {
  auto channel = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Editor {
  explicit Editor(TCommandList& list) {
    form.commands = &list;
    form.LoadGrid();
  }
  // Shown and active, for the tests that click and type.
  bool Show() {
    form.show();
    QApplication::setActiveWindow(&form);
    return QTest::qWaitForWindowActive(&form);
  }
  void Click(int col, int row) {
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->CellRect(col, row).center());
  }
  TXStringGrid* grid() const { return form.commandSheet; }
  QString Cell(int col, int row) const { return grid()->Cells(col, row); }

  TfrmCommandEdit form;
};

TEST(CommandEditor, FormAndTableAreSetUp) {
  TCommandList list;
  Editor editor(list);
  TfrmCommandEdit& form = editor.form;
  EXPECT_EQ(form.windowTitle(), "Command editor");
  EXPECT_EQ(form.size(), QSize(369, 459));
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_TRUE(screen);
  EXPECT_EQ(form.geometry().center(), screen->availableGeometry().center());  // opens centred
  TXStringGrid* grid = editor.grid();
  ASSERT_EQ(grid->RowCount(), 500);
  ASSERT_EQ(grid->ColCount(), 5);
  EXPECT_EQ(grid->Rows(0), QStringList({"Line", "Command", "Servo ID", "Value", "Delete"}));
  const int widths[] = {52, 79, 64, 64, 64};
  for (int col = 0; col < 5; ++col) EXPECT_EQ(grid->Columns()[col]->Width(), widths[col]);
  EXPECT_EQ(grid->Columns()[0]->HeaderColor(), QColor(Qt::cyan));
  EXPECT_EQ(grid->Columns()[1]->HeaderColor(), QColor(Qt::green));
  EXPECT_EQ(grid->Columns()[4]->HeaderColor(), QColor(Qt::red));
  // "Delete" stands out on its red header: bold, in a colour far from red.
  EXPECT_TRUE(grid->Columns()[4]->HeaderFont().bold());
  EXPECT_GE(Contrast(grid->Columns()[4]->HeaderTextColor(), Qt::red), 3.99);
  for (int col = 0; col < 4; ++col) {
    EXPECT_GE(
        Contrast(grid->Columns()[col]->HeaderTextColor(), grid->Columns()[col]->HeaderColor()),
        4.5);
  }
  EXPECT_EQ(grid->Columns()[0]->Editor(), nullptr);
  EXPECT_EQ(grid->Columns()[1]->Editor(), form.cellComList);
  EXPECT_EQ(grid->Columns()[2]->Editor(), form.cellIDList);
  EXPECT_EQ(grid->Columns()[3]->Editor(), form.cellValueNum);
  EXPECT_EQ(grid->Columns()[4]->Editor(), form.cellButDelete);
  EXPECT_TRUE(grid->ImmediateEditMode());
  EXPECT_TRUE(grid->Options() & goRowMoving);
  EXPECT_EQ(form.cellComList->Items(), QStringList({"M", "P", "T", "L", "J", "W", "S"}));
  // Every letter offered says what its fields mean.
  for (const QString& letter : form.cellComList->Items()) {
    EXPECT_TRUE(TfrmCommandEdit::FieldCaption(letter.front()).startsWith(letter + ":"));
  }
  EXPECT_EQ(form.cellComList->DefaultText(), "M");
  EXPECT_EQ(form.cellIDList->Items(), QStringList({"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(form.cellValueNum->Min(), 0);
  EXPECT_EQ(form.cellValueNum->Max(), 254);
  EXPECT_EQ(form.cellValueNum->Increment(), 1);
  for (int col = 0; col < 5; ++col) EXPECT_FALSE(grid->Columns()[col]->EditorInheritsCellProps());
  EXPECT_EQ(grid->Columns()[0]->Color(), QColor(Qt::cyan));  // the line numbers' cells
  // The editors' controls are made with the form, hidden until a cell is edited.
  for (const TMetaCellEditor* cellEditor : std::initializer_list<const TMetaCellEditor*>{
           form.cellComList, form.cellIDList, form.cellValueNum, form.cellButDelete}) {
    ASSERT_TRUE(cellEditor->InplaceControl());
    EXPECT_EQ(cellEditor->InplaceControl()->parentWidget(), grid->viewport());
    EXPECT_FALSE(cellEditor->InplaceControl()->isVisibleTo(&form));
  }
  EXPECT_TRUE(form.btOk->isDefault());
}

TEST(CommandEditor, EmptyScriptShowsNumberedEmptyRowsAndStaysEmpty) {
  TCommandList list;
  Editor editor(list);
  for (int row = 1; row < 500; ++row) {
    ASSERT_EQ(editor.grid()->Rows(row), QStringList({QString::number(row), "", "", "", ""}));
  }
  editor.form.btOkClick();
  EXPECT_EQ(editor.form.result(), QDialog::Accepted);
  EXPECT_TRUE(list.empty());
}

TEST(CommandEditor, OkWithoutChangesGivesTheSameScript) {
  TCommandList list = Script({{'M', 1, 127}, {'P', 0, 5}});
  Editor editor(list);
  EXPECT_EQ(editor.grid()->Rows(1), QStringList({"1", "M", "1", "127", ""}));
  EXPECT_EQ(editor.grid()->Rows(2), QStringList({"2", "P", "0", "5", ""}));
  EXPECT_EQ(editor.Cell(1, 3), "");
  ASSERT_TRUE(editor.Show());
  QTest::mouseClick(editor.form.btOk, Qt::LeftButton);
  EXPECT_FALSE(editor.form.isVisible());
  EXPECT_EQ(editor.form.result(), QDialog::Accepted);
  EXPECT_EQ(Text(list), "M 1 127, P 0 5");
}

TEST(CommandEditor, DeleteMovesTheRowsBelowUp) {
  TCommandList list = ThreeMoves();
  Editor editor(list);
  ASSERT_TRUE(editor.Show());
  editor.Click(4, 2);  // shows the button over the cell
  TButtonInplace* button = editor.form.cellButDelete->Button();
  ASSERT_TRUE(button->isVisible());
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(editor.grid()->Rows(1), QStringList({"1", "M", "1", "10", ""}));
  EXPECT_EQ(editor.grid()->Rows(2), QStringList({"2", "M", "3", "30", ""}));
  // The button went with its row: the command now in row 2 takes two clicks like any other.
  EXPECT_FALSE(button->isVisible());
  editor.Click(4, 2);
  EXPECT_EQ(editor.Cell(1, 2), "M");
  ASSERT_TRUE(button->isVisible());
  for (int row = 3; row < 499; ++row) ASSERT_EQ(editor.Cell(0, row), QString::number(row));
  EXPECT_EQ(editor.grid()->Rows(499), QStringList({"499", "", "", "", ""}));

  editor.Click(4, 3);  // a row without command: nothing happens
  QTest::mouseClick(editor.form.cellButDelete->Button(), Qt::LeftButton);
  EXPECT_EQ(editor.Cell(1, 3), "");
  editor.form.btOkClick();
  EXPECT_EQ(Text(list), "M 1 10, M 3 30");
}

TEST(CommandEditor, DeleteNeverShowsTheLastRowTwice) {
  TCommandList list = FullTable();
  Editor editor(list);
  editor.form.DeleteRow(1);
  EXPECT_EQ(editor.grid()->Rows(498), QStringList({"498", "M", "1", "99", ""}));
  EXPECT_EQ(editor.grid()->Rows(499), QStringList({"499", "", "", "", ""}));
  editor.form.btOkClick();
  EXPECT_EQ(list.size(), 498u);
}

TEST(CommandEditor, RowDraggedByItsLineCellReordersTheScript) {
  TCommandList list = ThreeMoves();
  Editor editor(list);
  ASSERT_TRUE(editor.Show());
  QHeaderView* lines = editor.grid()->verticalHeader();
  auto at = [lines](int row) {
    return QPoint(lines->width() / 2, lines->sectionViewportPosition(row - 1) + 4);
  };
  QTest::mousePress(lines->viewport(), Qt::LeftButton, {}, at(3));
  QTest::mouseMove(lines->viewport(), at(2));
  QTest::mouseMove(lines->viewport(), at(1));
  QTest::mouseRelease(lines->viewport(), Qt::LeftButton, {}, at(1));
  EXPECT_EQ(editor.grid()->Rows(1), QStringList({"1", "M", "3", "30", ""}));
  EXPECT_EQ(editor.Cell(0, 2), "2");
  EXPECT_EQ(editor.Cell(0, 3), "3");
  EXPECT_EQ(lines->visualIndex(0), 0);  // the table itself changed, not only the view
  editor.form.btOkClick();
  EXPECT_EQ(Text(list), "M 3 30, M 1 10, M 2 20");
}

TEST(CommandEditor, TypedValuesAreStored) {
  TCommandList list = Script({{'M', 1, 127}});
  Editor editor(list);
  ASSERT_TRUE(editor.Show());
  editor.Click(3, 1);
  QTest::keyClicks(editor.form.cellValueNum->Field(), "44");
  editor.Click(1, 2);
  QTest::keyClick(editor.grid()->focusWidget(), 'p');
  editor.Click(2, 2);
  QTest::keyClick(editor.form.cellIDList->Combo(), Qt::Key_Down);
  editor.Click(3, 2);
  QTest::keyClicks(editor.form.cellValueNum->Field(), "$1F");
  QTest::mouseClick(editor.form.btOk, Qt::LeftButton);  // the focus leaves the field first
  EXPECT_EQ(Text(list), "M 1 44, P 0 31");              // a pause is offered servo 0 first
}

TEST(CommandEditor, TimedMoveLinesShowAndAreChosenByTheirLetter) {
  TCommandList list = Script({{'T', 0, 20}, {'M', 1, 127}});
  Editor editor(list);
  EXPECT_EQ(editor.Cell(1, 1), "T");
  EXPECT_EQ(editor.Cell(3, 1), "20");
  ASSERT_TRUE(editor.Show());
  editor.Click(1, 3);
  QTest::keyClick(editor.grid()->focusWidget(), 't');
  editor.Click(2, 3);
  QTest::keyClick(editor.form.cellIDList->Combo(), Qt::Key_Down);
  editor.Click(3, 3);
  QTest::keyClicks(editor.form.cellValueNum->Field(), "15");
  QTest::mouseClick(editor.form.btOk, Qt::LeftButton);
  EXPECT_EQ(Text(list), "T 0 20, M 1 127, T 0 15");
}

TEST(CommandEditor, ANumberOutsideAByteIsRefusedWithTheDialogOpen) {
  // The row is named by its Line cell, which counts the rows as they now stand.
  const std::tuple<const char*, bool, const char*, const char*> cases[] = {
      {"300", false, "value 300 is outside 0..255", "row 2, column Value"},
      {"-5", false, "value -5 is outside 0..255", "row 2, column Value"},
      {"$100", true, "value 256 is outside 0..255", "row 2, column Value"},
  };
  for (const auto& [typed, deleteRowOne, message, detail] : cases) {
    TCommandList list = ThreeMoves();
    Editor editor(list);
    ASSERT_TRUE(editor.Show());
    if (deleteRowOne) editor.form.DeleteRow(1);
    editor.Click(3, 2);
    QTest::keyClicks(editor.form.cellValueNum->Field(), typed);
    try {
      editor.form.btOkClick();  // the open edit is written first
      ADD_FAILURE() << typed << " taken";
    } catch (const EScriptRangeError& e) {
      EXPECT_STREQ(e.what(), message);
      EXPECT_EQ(e.detail(), detail);
    }
    EXPECT_TRUE(editor.form.isVisible());
    EXPECT_EQ(Text(list), kThreeMoves);
  }
}

TEST(CommandEditor, AMalformedNumberIsRefusedWithTheDialogOpenAndNoCommandLost) {
  TCommandList list = ThreeMoves();
  Editor editor(list);
  ASSERT_TRUE(editor.Show());
  editor.grid()->SetCells(3, 2, "abc");
  try {
    editor.form.btOkClick();
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    EXPECT_EQ(e.detail(), "row 2, column Value");
  }
  EXPECT_TRUE(editor.form.isVisible());
  EXPECT_EQ(Text(list), kThreeMoves);
}

TEST(CommandEditor, NewCommandWithoutServoIdFailsOnTheEmptyText) {
  TCommandList list = Script({{'M', 1, 10}});
  Editor editor(list);
  ASSERT_TRUE(editor.Show());
  editor.Click(1, 2);
  EXPECT_EQ(editor.form.cellComList->Combo()->currentText(), "M");
  try {
    editor.form.btOkClick();  // the open edit is written first
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    EXPECT_EQ(e.detail(), "row 2, column Servo ID");
  }
  EXPECT_EQ(editor.Cell(1, 2), "M");
  EXPECT_EQ(Text(list), "M 1 10");
}

// A letter without a servo is offered servo 0 and reads an empty Servo ID as 0; M is not.
TEST(CommandEditor, ServoZeroForLettersWithoutAServo) {
  const std::tuple<QString, QString, QString> cases[] = {
      {"P", "0", "P 0 5"}, {"T", "0", "T 0 5"}, {"M", "1", ""}};
  for (const auto& [letter, firstOffered, script] : cases) {
    TCommandList list;
    Editor editor(list);
    ASSERT_TRUE(editor.Show());
    editor.grid()->SetCells(1, 1, letter);
    editor.grid()->SetCells(3, 1, "5");
    editor.Click(2, 1);
    EXPECT_EQ(editor.form.cellIDList->Combo()->itemText(0), firstOffered) << letter.toStdString();
    editor.grid()->FinishEdit();
    editor.grid()->SetCells(2, 1, " ");
    if (script.isEmpty()) {
      EXPECT_THROW(editor.form.btOkClick(), EConvertError);
    } else {
      editor.form.btOkClick();
      EXPECT_EQ(Text(list), script.toStdString());
    }
  }
}

// Insert puts a zero pause above the current row; Delete takes the selected command rows, or the
// current one; the Line column counts 1..n whatever happened.
TEST(CommandEditor, InsertAndDeleteKeepTheOrderAndTheNumbers) {
  using Action = std::function<void(Editor&)>;
  const auto button = [](const char* name) {
    return [name](Editor& e) {
      QTest::mouseClick(e.form.findChild<QPushButton*>(name), Qt::LeftButton);
    };
  };
  const auto key = [](Qt::Key k) { return [k](Editor& e) { QTest::keyClick(e.grid(), k); }; };
  const auto menu = [](int item) {
    return [item](Editor& e) { e.form.RowMenu()->actions().at(item)->trigger(); };
  };
  const std::tuple<const char*, int, int, Action, std::string> cases[] = {
      {"Insert button", 2, 2, button("btInsert"), "M 1 10, P 0 0, M 2 20, M 3 30"},
      {"Insert key", 1, 1, key(Qt::Key_Insert), "P 0 0, M 1 10, M 2 20, M 3 30"},
      {"menu: insert", 3, 3, menu(0), "M 1 10, M 2 20, P 0 0, M 3 30"},
      {"Delete button", 2, 2, button("btDeleteRows"), "M 1 10, M 3 30"},
      {"Delete key on rows 1 and 2", 1, 2, key(Qt::Key_Delete), "M 3 30"},
      {"menu: delete", 3, 3, menu(1), "M 1 10, M 2 20"},
      {"Delete on a row without command", 5, 5, key(Qt::Key_Delete), kThreeMoves},
  };
  for (const auto& [name, from, to, action, script] : cases) {
    TCommandList list = ThreeMoves();
    Editor editor(list);
    ASSERT_TRUE(editor.Show());
    editor.grid()->SetCurrentCell(1, from);
    editor.grid()->setFocus();
    if (to != from) {
      editor.grid()->selectionModel()->select(
          QItemSelection(editor.grid()->model()->index(from - 1, 0),
                         editor.grid()->model()->index(to - 1, 3)),
          QItemSelectionModel::ClearAndSelect);
    }
    action(editor);
    for (int row = 1; row < editor.grid()->RowCount(); ++row) {
      ASSERT_EQ(editor.Cell(0, row), QString::number(row)) << name;
    }
    editor.form.btOkClick();
    EXPECT_EQ(Text(list), script) << name;
  }

  // A full table grows rather than lose its last command.
  TCommandList list = FullTable();
  Editor editor(list);
  editor.form.InsertRow(1);
  EXPECT_EQ(editor.grid()->Rows(500), QStringList({"500", "M", "1", "99", ""}));
  editor.form.btOkClick();
  EXPECT_EQ(list.size(), 500u);
}

TEST(CommandEditor, AnEmptyCommandCellEndsTheScript) {
  TCommandList list;
  for (int i = 0; i < 600; ++i) Add(list, 'M', 1, i % 255);
  Editor editor(list);
  // A script longer than the grid's 499 rows gets rows for all of it: none is lost on OK.
  EXPECT_EQ(editor.Cell(0, 600), "600");
  EXPECT_EQ(editor.Cell(3, 600), QString::number(599 % 255));
  editor.form.btOkClick();
  ASSERT_EQ(list.size(), 600u);
  EXPECT_EQ(list.back()->value, 599 % 255);

  Editor again(list);
  again.grid()->SetCells(1, 3, "");
  again.form.btOkClick();
  EXPECT_EQ(list.size(), 2u);
}

TEST(CommandEditor, CancelLeavesTheScriptAlone) {
  TCommandList list = Script({{'M', 1, 127}, {'P', 0, 5}});
  Editor editor(list);
  ASSERT_TRUE(editor.Show());
  editor.form.DeleteRow(1);
  editor.Click(3, 1);
  QTest::keyClicks(editor.form.cellValueNum->Field(), "9");
  QTest::mouseClick(editor.form.btCancel, Qt::LeftButton);
  EXPECT_EQ(editor.form.result(), QDialog::Rejected);
  EXPECT_FALSE(editor.form.isVisible());
  EXPECT_EQ(Text(list), "M 1 127, P 0 5");
}

TEST(CommandEditor, EditShowsTheDialogOnTheScriptsOwnList) {
  TRoboPath script;
  script.commands = Script({{'M', 4, 100}});
  TfrmCommandEdit* seen = nullptr;
  QTimer::singleShot(0, [&] {
    seen = qobject_cast<TfrmCommandEdit*>(QApplication::activeModalWidget());
    if (!seen) return;
    EXPECT_EQ(script.editor, seen);
    EXPECT_EQ(seen->commands, &script.commands);
    EXPECT_EQ(seen->commandSheet->Cells(3, 1), "100");
    seen->commandSheet->SetCells(3, 1, "101");
    seen->btOkClick();
  });
  script.edit();
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(script.editor, nullptr);
  EXPECT_EQ(Text(script.commands), "M 4 101");
}

}  // namespace
