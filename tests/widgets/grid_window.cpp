#include "grid_window.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

bool ShowActive(QWidget* widget) {
  widget->show();
  QApplication::setActiveWindow(widget);
  return QTest::qWaitForWindowActive(widget);
}

GridWindow::GridWindow() {
  auto* layout = new QVBoxLayout(&window);
  grid = new TXStringGrid(&window);
  grid->setObjectName("gridA");
  other = new QLineEdit(&window);
  layout->addWidget(grid);
  layout->addWidget(other);
  window.resize(500, 300);

  letters = new TComboCellEditor(&window);
  letters->setObjectName("letters");
  letters->SetStyle(csDropDownList);
  letters->SetItems({"M", "P"});
  letters->SetDefaultText("M");
  ids = new TComboCellEditor(&window);
  ids->setObjectName("ids");
  ids->SetStyle(csDropDownList);
  ids->SetItems({"1", "2", "3", "4", "5", "6"});
  number = new TUpDownCellEditor(&window);
  number->setObjectName("number");
  number->SetMax(254);
  button = new TButtonCellEditor(&window);
  button->setObjectName("button");
  button->SetCaption("Delete");

  grid->SetColCount(6);
  grid->SetRowCount(10);
  grid->SetOptions(goRangeSelect | goEditing);
  grid->SetImmediateEditMode(true);
  grid->Columns()[1]->SetEditor(letters);
  grid->Columns()[2]->SetEditor(ids);
  grid->Columns()[3]->SetEditor(number);
  grid->Columns()[4]->SetEditor(button);
  active = ShowActive(&window);
}

void GridWindow::Click(int col, int row) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(col, row).center());
}

void GridWindow::Select(int col, int row) {
  grid->setFocus();
  grid->SetCurrentCell(col, row);
}
