#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <map>
#include <utility>

#include "grid_window.h"
#include "paint_counter.h"

namespace {

// An editor that makes no in-place control.
class NoControlEditor : public TMetaCellEditor {
 public:
  void StartEdit() override {}
  void EndEdit() override {}
};

// A grid before anyone sets it up: the command editor relies on what it does not set.
TEST(XStringGrid, ANewGridHasTheDocumentedDefaults) {
  TXStringGrid grid;
  EXPECT_EQ(grid.FixedLineColor(), QColor(Qt::black));
  EXPECT_EQ(grid.GridLineColor(), QColor(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(grid.GridLineWidth(), 1);
  EXPECT_EQ(grid.SelectedColor(), grid.palette().color(QPalette::Highlight));
  EXPECT_EQ(grid.SelectedTextColor(), grid.palette().color(QPalette::HighlightedText));
  EXPECT_FALSE(grid.MultiLine());
  EXPECT_FALSE(grid.ImmediateEditMode());
  EXPECT_EQ(grid.activeEditor, nullptr);
  EXPECT_TRUE(grid.pendingChar.isNull());
}

TEST(XStringGrid, CellsCountTheFixedRowAndColumn) {
  TXStringGrid grid;
  EXPECT_EQ(grid.ColCount(), 5);
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.Columns().Count(), 5);
  grid.SetCells(0, 0, "Line");
  grid.SetCells(2, 0, "Servo ID");
  grid.SetCells(0, 3, "3");
  grid.SetCells(2, 3, "x");
  EXPECT_EQ(grid.Cells(0, 0), "Line");
  EXPECT_EQ(grid.Columns()[0]->Caption(), "Line");
  EXPECT_EQ(grid.Columns()[2]->Caption(), "Servo ID");
  grid.Columns()[4]->SetCaption("Delete");
  EXPECT_EQ(grid.Cells(4, 0), "Delete");
  EXPECT_EQ(grid.Rows(3), QStringList({"3", "", "x", "", ""}));
  EXPECT_EQ(grid.Cells(2, 9), "");  // outside the table
  grid.SetCells(2, 9, "lost");
  EXPECT_EQ(grid.RowCount(), 5);
  // Rows and the header row are DefaultRowHeight tall; the fixed column is 64 wide.
  EXPECT_EQ(grid.CellRect(1, 1).height(), grid.DefaultRowHeight());
  EXPECT_EQ(grid.horizontalHeader()->height(), grid.DefaultRowHeight());
  EXPECT_EQ(grid.verticalHeader()->width(), 64);
  grid.SetColWidths(2, 1);  // as thin as the toolkit's grid allows
  EXPECT_EQ(grid.ColWidths(2), 1);
}

TEST(XStringGrid, ACellOutsideTheColumnsDrawsNothing) {
  TXStringGrid grid;
  bool handlerCalled = false;
  grid.OnDrawCell = [&](TXStringGrid*, QPainter*, int, int, const QRect&, TGridDrawState) {
    handlerCalled = true;
  };
  QImage image(40, 20, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  for (const int col : {-1, grid.ColCount()}) grid.DrawCell(&painter, image.rect(), col, 1, {});
  painter.end();
  EXPECT_FALSE(handlerCalled);
  QImage blank(image.size(), image.format());
  blank.fill(Qt::white);
  EXPECT_EQ(image, blank);
}

TEST(XStringGrid, MoveRowTakesTheWholeRowAlong) {
  TXStringGrid grid;
  for (int row = 1; row < 5; ++row)
    grid.SetRows(row, {QString::number(row), QString(QChar('a' + row))});
  grid.MoveRow(4, 1);
  EXPECT_EQ(grid.Rows(1).mid(0, 2), QStringList({"4", "e"}));
  EXPECT_EQ(grid.Rows(2).mid(0, 2), QStringList({"1", "b"}));
  EXPECT_EQ(grid.Rows(4).mid(0, 2), QStringList({"3", "d"}));
  grid.MoveRow(1, 3);
  EXPECT_EQ(grid.Rows(3).mid(0, 2), QStringList({"4", "e"}));
  EXPECT_EQ(grid.Rows(1).mid(0, 2), QStringList({"1", "b"}));
  grid.MoveRow(0, 2);  // the header row stays where it is
  EXPECT_EQ(grid.Rows(2).mid(0, 2), QStringList({"2", "c"}));
  const int rows = grid.RowCount();
  grid.MoveRow(2, rows);  // past the last row: nothing moves, no row is added
  EXPECT_EQ(grid.RowCount(), rows);
  EXPECT_EQ(grid.Rows(2).mid(0, 2), QStringList({"2", "c"}));
  // A row dragged by its header moves as MoveRow does; the header keeps its plain order.
  grid.verticalHeader()->moveSection(0, 2);
  EXPECT_EQ(grid.Rows(3).mid(0, 2), QStringList({"1", "b"}));
  EXPECT_EQ(grid.Rows(1).mid(0, 2), QStringList({"2", "c"}));
  EXPECT_EQ(grid.verticalHeader()->visualIndex(2), 2);
}

TEST(XStringGrid, ColumnCountDropsAndAppendsItems) {
  TXStringGrid grid;
  TUpDownCellEditor number;
  grid.Columns()[3]->SetEditor(&number);
  grid.Columns()[4]->SetEditor(&number);
  EXPECT_EQ(number.AttachCount(), 2);
  grid.Columns()[4]->SetCaption("Delete");
  grid.Columns()[4]->SetWidth(90);
  grid.Columns()[4]->SetColor(Qt::red);

  grid.SetColCount(3);
  EXPECT_EQ(grid.Columns().Count(), 3);
  EXPECT_EQ(number.AttachCount(), 0);
  EXPECT_EQ(number.Grid(), nullptr);

  grid.SetColCount(5);
  ASSERT_EQ(grid.Columns().Count(), 5);
  const TXStringColumnItem* item = grid.Columns()[4];
  EXPECT_EQ(item->Editor(), nullptr);
  EXPECT_EQ(item->Caption(), "");
  EXPECT_EQ(item->Width(), 64);
  EXPECT_EQ(item->Color(), grid.palette().color(QPalette::Base));
  EXPECT_EQ(item->HeaderColor(), grid.FixedColor());
  EXPECT_EQ(item->Alignment(), taLeftJustify);
  EXPECT_EQ(grid.Columns().IndexOf(item), 4);
}

TEST(XStringGrid, AnEditorServesOneGridOnly) {
  TXStringGrid gridA;
  gridA.setObjectName("gridA");
  TXStringGrid gridB;
  gridB.setObjectName("gridB");
  TComboCellEditor list;
  list.setObjectName("cellComList");
  EXPECT_EQ(list.AttachCount(), 0);
  gridA.Columns()[1]->SetEditor(&list);
  gridA.Columns()[2]->SetEditor(&list);
  try {
    gridB.Columns()[1]->SetEditor(&list);
    FAIL() << "attached to two grids";
  } catch (const ECellEditorError& e) {
    EXPECT_STREQ(e.what(), "cellComList is allready assigned to gridA");
  }
  EXPECT_EQ(gridB.Columns()[1]->Editor(), nullptr);
  EXPECT_EQ(list.Grid(), &gridA);
  EXPECT_EQ(list.AttachCount(), 2);

  // Released by both columns, it is free for another grid, and its control goes along.
  list.ShowAt(gridA.CellRect(1, 1));
  gridA.Columns()[1]->SetEditor(nullptr);
  gridA.Columns()[2]->SetEditor(nullptr);
  gridB.Columns()[1]->SetEditor(&list);
  EXPECT_EQ(list.Grid(), &gridB);
  ASSERT_NE(list.InplaceControl(), nullptr);
  EXPECT_EQ(list.InplaceControl()->parentWidget(), gridB.viewport());
}

TEST(XStringGrid, DestroyedEditorLeavesItsColumns) {
  TXStringGrid grid;
  auto* list = new TComboCellEditor;
  grid.Columns()[1]->SetEditor(list);
  grid.Columns()[3]->SetEditor(list);
  delete list;
  EXPECT_EQ(grid.Columns()[1]->Editor(), nullptr);
  EXPECT_EQ(grid.Columns()[3]->Editor(), nullptr);
}

TEST(XStringGrid, AnEditorWithoutControlCannotStart) {
  NoControlEditor editor;
  try {
    editor.InitEditor();
    FAIL() << "no error";
  } catch (const ECellEditorError& e) {
    EXPECT_STREQ(e.what(), "Cell Editor not of type TCellEditor");
  }
}

TEST(XStringGrid, AssignCopiesLooksButNotTheEditor) {
  TXStringGrid grid;
  TComboCellEditor list;
  TXStringColumnItem* source = grid.Columns()[1];
  source->SetEditor(&list);
  source->SetCaption("Command");
  source->SetHeaderColor(Qt::green);
  source->SetAlignment(taCenter);
  TXStringColumnItem* target = grid.Columns()[2];
  target->SetEditor(&list);
  target->Assign(*source);
  EXPECT_EQ(target->Caption(), "Command");
  EXPECT_EQ(target->HeaderColor(), QColor(Qt::green));
  EXPECT_EQ(target->Alignment(), taCenter);
  EXPECT_EQ(target->Editor(), nullptr);
  EXPECT_EQ(list.AttachCount(), 1);
}

TEST(XStringGrid, AnEditorTakesItsColumnsLookOnlyWhenAsked) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  QFont font = w.grid->font();
  font.setPointSize(font.pointSize() + 5);
  for (int col : {3, 4}) {
    w.grid->Columns()[col]->SetColor(Qt::yellow);
    w.grid->Columns()[col]->SetTextColor(Qt::red);
    w.grid->Columns()[col]->SetFont(font);
  }
  w.grid->Columns()[4]->SetEditorInheritsCellProps(true);
  w.Click(4, 2);
  const TButtonInplace* button = w.button->Button();
  ASSERT_TRUE(button && button->isVisible());
  EXPECT_EQ(button->palette().color(QPalette::Button), QColor(Qt::yellow));
  EXPECT_EQ(button->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(Qt::red));
  EXPECT_EQ(button->palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_EQ(button->font(), font);
  w.Click(3, 2);
  ASSERT_TRUE(w.number->Field()->isVisible());
  EXPECT_NE(w.number->Field()->palette().color(QPalette::Base), QColor(Qt::yellow));
  EXPECT_NE(w.number->Field()->font(), font);
}

TEST(XStringGrid, OneClickOpensTheEditorOfAnEditableCellOnly) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.Click(3, 2);
  EXPECT_TRUE(w.Editing(w.number));
  EXPECT_TRUE(w.number->Field()->isVisible());
  EXPECT_TRUE(w.number->Field()->hasFocus());
  EXPECT_EQ(w.grid->editCol, 3);
  EXPECT_EQ(w.grid->editRow, 2);

  w.number->Field()->setText("12");
  w.Click(5, 4);  // no editor in column 5
  EXPECT_EQ(w.grid->Cells(3, 2), "12");
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_FALSE(w.number->Field()->isVisible());
  EXPECT_EQ(w.grid->Col(), 5);
  EXPECT_EQ(w.grid->Row(), 4);
  EXPECT_TRUE(w.grid->hasFocus());

  // The table's own editor never opens, whatever asks for it.
  const auto childrenBefore = w.grid->viewport()->findChildren<QWidget*>();
  w.grid->edit(w.grid->model()->index(3, 4));
  QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.grid->CellRect(5, 4).center());
  QTest::keyClick(w.grid, Qt::Key_F2);
  EXPECT_EQ(w.grid->viewport()->findChildren<QWidget*>(), childrenBefore);
  EXPECT_TRUE(w.grid->hasFocus());
}

TEST(XStringGrid, OnDrawEditorReplacesThePlacement) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  QString placed;
  w.grid->OnDrawEditor = [&](TXStringGrid*, int col, int row, TCellEditor* editor) {
    placed = QString("%1,%2 %3").arg(col).arg(row).arg(editor->objectName());
  };
  w.Click(2, 3);
  EXPECT_EQ(placed, "2,3 ids");
  EXPECT_FALSE(w.ids->Combo()->isVisible());
  EXPECT_TRUE(w.Editing(w.ids));
}

TEST(XStringGrid, EditorsOutliveTheirGrid) {
  TComboCellEditor list;
  list.SetItems({"M", "P"});
  {
    GridWindow w;
    ASSERT_TRUE(w.active);
    w.grid->Columns()[5]->SetEditor(&list);
    w.Click(5, 1);
    ASSERT_TRUE(w.Editing(&list));
  }  // the grid goes while its editor is shown
  EXPECT_EQ(list.InplaceControl(), nullptr);
  EXPECT_EQ(list.Grid(), nullptr);

  GridWindow next;  // made again for the next grid
  ASSERT_TRUE(next.active);
  next.grid->Columns()[5]->SetEditor(&list);
  next.grid->SetCells(5, 2, "P");
  next.Click(5, 2);
  ASSERT_NE(list.InplaceControl(), nullptr);
  EXPECT_EQ(list.InplaceControl()->parentWidget(), next.grid->viewport());
  EXPECT_EQ(list.Combo()->currentText(), "P");
  next.grid->Columns()[5]->SetEditor(nullptr);
}

TEST(XStringGrid, EditorFollowsItsCellWhenTheGridScrolls) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->SetRowCount(100);
  w.Click(3, 2);
  const QRect before = w.number->Field()->geometry();
  w.grid->verticalScrollBar()->setValue(1);
  EXPECT_EQ(w.number->Field()->geometry().top(), w.grid->CellRect(3, 2).top() + 1);
  EXPECT_LT(w.number->Field()->geometry().top(), before.top());
}

TEST(XStringGrid, DrawsColumnColoursSelectionAndCellProps) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->Columns()[2]->SetColor(Qt::yellow);
  w.grid->Columns()[2]->SetHeaderColor(Qt::green);
  w.grid->Columns()[3]->SetAlignment(taRightJustify);
  w.grid->SetSelectedColor(Qt::blue);
  w.grid->SetCells(3, 2, "abc");
  w.grid->SetCurrentCell(5, 5);
  QList<QString> texts;
  w.grid->OnCellProps = [&](TXStringGrid*, QPainter* canvas, TAlignment& alignment, QString& text,
                            TGridDrawState, int row, int col) {
    if (col == 3 && row == 2) {
      EXPECT_EQ(alignment, taRightJustify);
      texts << text;
      canvas->setBrush(Qt::magenta);
    }
  };
  const QImage cells = w.grid->viewport()->grab().toImage();
  const QImage header = w.grid->horizontalHeader()->grab().toImage();
  auto inner = [](const QRect& r) { return r.topLeft() + QPoint(3, r.height() - 4); };
  EXPECT_EQ(cells.pixelColor(inner(w.grid->CellRect(2, 3))), QColor(Qt::yellow));
  EXPECT_EQ(cells.pixelColor(inner(w.grid->CellRect(5, 5))), QColor(Qt::blue));
  EXPECT_EQ(cells.pixelColor(inner(w.grid->CellRect(3, 2))), QColor(Qt::magenta));
  EXPECT_EQ(texts, QList<QString>({"abc"}));
  const int headerX = w.grid->horizontalHeader()->sectionViewportPosition(1) + 3;
  EXPECT_EQ(header.pixelColor(headerX, 5), QColor(Qt::green));
  // The cell's last pixel row and column are its grid lines.
  const QRect normal = w.grid->CellRect(2, 3);
  EXPECT_EQ(cells.pixelColor(normal.left() + 3, normal.bottom()), w.grid->GridLineColor());
  EXPECT_EQ(cells.pixelColor(normal.right(), normal.top() + 3), w.grid->GridLineColor());
}

// Options that forbid editing end an edit in progress, keeping what was typed.
TEST(XStringGrid, OptionsWithoutEditingEndAnEdit) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.Click(3, 2);
  w.number->Field()->setText("9");
  w.grid->SetOptions(w.grid->Options() | goRowSelect);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(3, 2), "9");
  w.grid->SetOptions(goRangeSelect | goEditing);
  w.Click(3, 3);
  ASSERT_TRUE(w.Editing(w.number));
  w.grid->SetOptions(goRangeSelect);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
}

// Replacing an editor ends an edit only where that editor is editing this column; the same
// editor may serve another column meanwhile.
TEST(XStringGrid, ReplacingAnEditorEndsOnlyItsOwnEdit) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  w.grid->Columns()[5]->SetEditor(w.number);  // now on columns 3 and 5
  w.Click(3, 2);
  ASSERT_TRUE(w.Editing(w.number));
  w.number->Field()->setText("12");
  w.grid->Columns()[5]->SetEditor(nullptr);  // not the column being edited
  EXPECT_TRUE(w.Editing(w.number));
  w.grid->Columns()[2]->SetEditor(nullptr);  // another editor
  EXPECT_TRUE(w.Editing(w.number));
  TUpDownCellEditor replacement;
  w.grid->Columns()[3]->SetEditor(&replacement);
  EXPECT_EQ(w.grid->activeEditor, nullptr);
  EXPECT_EQ(w.grid->Cells(3, 2), "12");  // what was typed is kept
}

TEST(XStringGrid, EveryChangeOfAColumnsLookIsRedrawn) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  TXStringColumnItem* column = w.grid->Columns()[2];
  PaintCounter counter{w.grid->viewport(), w.grid->horizontalHeader()};
  QFont bold = w.grid->font();
  bold.setBold(true);
  ExpectEachRedrawn(counter,
                    {
                        {"header colour", [&] { column->SetHeaderColor(Qt::green); }},
                        {"header font", [&] { column->SetHeaderFont(bold); }},
                        {"header text colour", [&] { column->SetHeaderTextColor(Qt::red); }},
                        {"header alignment", [&] { column->SetHeaderAlignment(taRightJustify); }},
                        {"colour", [&] { column->SetColor(Qt::yellow); }},
                        {"font", [&] { column->SetFont(bold); }},
                        {"text colour", [&] { column->SetTextColor(Qt::blue); }},
                        {"alignment", [&] { column->SetAlignment(taCenter); }},
                        {"another column's look", [&] { column->Assign(*w.grid->Columns()[5]); }},
                    });
}

// Captures the toolkit's warnings, such as an unbalanced painter.
class WarningCatcher {
 public:
  WarningCatcher() { previous_ = qInstallMessageHandler(&WarningCatcher::Catch); }
  ~WarningCatcher() { qInstallMessageHandler(previous_); }
  static inline QStringList warnings;

 private:
  static void Catch(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) warnings << text;
  }
  QtMessageHandler previous_ = nullptr;
};

// A cell's text stays 2 pixels inside the cell on every side: text too large for the cell is
// cut off there. Full blocks in a large font overflow the cell every way.
TEST(XStringGrid, TextStaysTwoPixelsInsideItsCell) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  QFont big = w.grid->font();
  big.setPixelSize(3 * w.grid->DefaultRowHeight());
  if (!QFontMetrics(big).inFontUcs4(0x2588)) GTEST_SKIP() << "no full block in the font";
  w.grid->SetCells(2, 1, QString(20, QChar(0x2588)));
  w.grid->OnCellProps = [&](TXStringGrid*, QPainter* canvas, TAlignment& alignment, QString&,
                            TGridDrawState, int row, int col) {
    if (col != 2 || row != 1) return;
    canvas->setFont(big);
    canvas->setPen(Qt::black);
    alignment = taRightJustify;
  };
  const QRect cell = w.grid->CellRect(2, 1);
  const QImage image = w.grid->viewport()->grab().toImage();
  const auto inked = [&](int x, int y) { return qGray(image.pixel(x, y)) < 64; };
  const int midX = cell.center().x(), midY = cell.center().y();
  EXPECT_TRUE(inked(cell.left() + 2, midY));
  EXPECT_FALSE(inked(cell.left() + 1, midY));
  EXPECT_TRUE(inked(cell.right() - 2, midY));
  EXPECT_FALSE(inked(cell.right() - 1, midY));
  EXPECT_TRUE(inked(midX, cell.top() + 2));
  EXPECT_FALSE(inked(midX, cell.top() + 1));
  EXPECT_TRUE(inked(midX, cell.bottom() - 2));
  EXPECT_FALSE(inked(midX, cell.bottom() - 1));
}

// What each cell is drawn with (header, fixed column, normal cell), the grid's own cell handler
// with the cell's rectangle, and a painter handed back as it came.
TEST(XStringGrid, EachKindOfCellIsDrawnWithItsOwnLook) {
  GridWindow w;
  ASSERT_TRUE(w.active);
  TXStringColumnItem* column = w.grid->Columns()[2];
  QFont headerFont = w.grid->font(), cellFont = w.grid->font();
  headerFont.setItalic(true);
  cellFont.setBold(true);
  column->SetHeaderColor(Qt::green);
  column->SetHeaderTextColor(Qt::red);
  column->SetHeaderFont(headerFont);
  column->SetColor(Qt::yellow);
  column->SetTextColor(Qt::blue);
  column->SetFont(cellFont);
  w.grid->SetFixedColor(Qt::cyan);
  struct Look {
    QColor background, text;
    QFont font;
  };
  std::map<std::pair<int, int>, Look> looks;
  w.grid->OnCellProps = [&](TXStringGrid*, QPainter* canvas, TAlignment&, QString&, TGridDrawState,
                            int row, int col) {
    looks[{col, row}] = {canvas->brush().color(), canvas->pen().color(), canvas->font()};
  };
  std::map<std::pair<int, int>, QRect> drawn;
  w.grid->OnDrawCell = [&](TXStringGrid*, QPainter* canvas, int col, int row, const QRect& rect,
                           TGridDrawState) {
    drawn[{col, row}] = rect;
    canvas->translate(7, 7);  // must not reach the grid lines
    canvas->setPen(Qt::magenta);
  };
  WarningCatcher catcher;
  WarningCatcher::warnings.clear();
  const QImage cells = w.grid->viewport()->grab().toImage();
  w.grid->horizontalHeader()->grab();
  w.grid->verticalHeader()->grab();
  EXPECT_EQ(WarningCatcher::warnings, QStringList());

  auto at = [](int col, int row) { return std::make_pair(col, row); };
  ASSERT_TRUE(looks.count(at(2, 0)) && looks.count(at(2, 1)) && looks.count(at(0, 1)));
  const Look& header = looks[at(2, 0)];
  const Look& normal = looks[at(2, 1)];  // the first row below the header
  const Look& fixed = looks[at(0, 1)];
  EXPECT_EQ(header.background, QColor(Qt::green));
  EXPECT_EQ(header.text, QColor(Qt::red));
  EXPECT_EQ(header.font, headerFont);
  EXPECT_EQ(normal.background, QColor(Qt::yellow));
  EXPECT_EQ(normal.text, QColor(Qt::blue));
  EXPECT_EQ(normal.font, cellFont);
  EXPECT_EQ(fixed.background, QColor(Qt::cyan));
  EXPECT_EQ(fixed.text, w.grid->palette().color(QPalette::ButtonText));
  EXPECT_EQ(fixed.font, w.grid->font());
  EXPECT_EQ(looks.count(at(1, 0)), 1u);  // a header cell of the fixed column's kind too

  ASSERT_TRUE(drawn.count(at(2, 1)));
  EXPECT_EQ(drawn[at(2, 1)], w.grid->CellRect(2, 1));
  const QRect cell = w.grid->CellRect(2, 3);
  EXPECT_EQ(cells.pixelColor(cell.left() + 3, cell.bottom()), w.grid->GridLineColor());
  EXPECT_EQ(cells.pixelColor(cell.right(), cell.top() + 3), w.grid->GridLineColor());
}

}  // namespace
