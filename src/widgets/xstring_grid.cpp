#include "xstring_grid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "cell_editor.h"
#include "grid_parts.h"

TXStringGrid::TXStringGrid(QWidget* parent) : QTableWidget(parent), columns_(this) {
  fixedColor_ = palette().color(QPalette::Button);
  selectedColor_ = palette().color(QPalette::Highlight);
  selectedTextColor_ = palette().color(QPalette::HighlightedText);

  setHorizontalHeader(new TXStringGridHeader(Qt::Horizontal, this));
  setVerticalHeader(new TXStringGridHeader(Qt::Vertical, this));
  // Cells are edited only through the column editors, never through the table's own editor.
  setItemDelegate(new TXStringGridDelegate(this));
  setEditTriggers(NoEditTriggers);
  setShowGrid(false);  // DrawCell draws the lines in the grid's colours
  setCornerButtonEnabled(false);
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(1);
  }
  horizontalHeader()->setDefaultSectionSize(64);
  verticalHeader()->setDefaultSectionSize(defaultRowHeight_);
  horizontalHeader()->setFixedHeight(defaultRowHeight_);
  verticalHeader()->setFixedWidth(64);
  corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
  if (corner_) corner_->installEventFilter(this);

  columns_.Insert(0, FixedCols());
  connect(model(), &QAbstractItemModel::columnsInserted, this,
          [this](const QModelIndex&, int first, int last) { ColumnsInserted(first, last); });
  connect(
      model(), &QAbstractItemModel::columnsAboutToBeRemoved, this,
      [this](const QModelIndex&, int first, int last) { ColumnsAboutToBeRemoved(first, last); });
  connect(model(), &QAbstractItemModel::columnsRemoved, this,
          [this](const QModelIndex&, int first, int last) { ColumnsRemoved(first, last); });
  connect(verticalHeader(), &QHeaderView::sectionMoved, this, &TXStringGrid::RowSectionMoved);

  SetOptions(goRangeSelect | goThumbTracking);
  SetColCount(5);
  SetRowCount(5);
}

TXStringGrid::~TXStringGrid() {
  disconnect(model(), nullptr, this, nullptr);
  activeEditor = nullptr;
  for (int i = 0; i < columns_.Count(); ++i) {
    if (TCellEditor* editor = columns_[i]->Editor()) editor->GridWindowClosed();
  }
  columns_.items_.clear();  // releases the editors while the grid is still whole
}

QTableWidgetItem* TXStringGrid::ItemAt(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return nullptr;
  if (row < FixedRows()) return horizontalHeaderItem(col - FixedCols());
  if (col < FixedCols()) return verticalHeaderItem(row - FixedRows());
  return item(row - FixedRows(), col - FixedCols());
}

QString TXStringGrid::Cells(int col, int row) const {
  if (col == 0 && row == 0) return cornerText_;
  const QTableWidgetItem* cell = ItemAt(col, row);
  return cell ? cell->text() : QString();
}

void TXStringGrid::SetCells(int col, int row, const QString& text) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  if (col == 0 && row == 0) {
    cornerText_ = text;
    if (corner_) corner_->update();
    return;
  }
  if (QTableWidgetItem* cell = ItemAt(col, row)) {
    cell->setText(text);
    return;
  }
  if (text.isEmpty()) return;  // a missing item reads as empty already
  auto* cell = new QTableWidgetItem(text);
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  if (row < FixedRows()) {
    setHorizontalHeaderItem(col - FixedCols(), cell);
  } else if (col < FixedCols()) {
    setVerticalHeaderItem(row - FixedRows(), cell);
  } else {
    setItem(row - FixedRows(), col - FixedCols(), cell);
  }
}

QStringList TXStringGrid::Rows(int row) const {
  QStringList cells;
  for (int col = 0; col < ColCount(); ++col) cells << Cells(col, row);
  return cells;
}

void TXStringGrid::SetRows(int row, const QStringList& cells) {
  for (int col = 0; col < ColCount(); ++col) SetCells(col, row, cells.value(col));
}

void TXStringGrid::MoveRow(int from, int to) {
  if (from == to || from < FixedRows() || to < FixedRows() || from >= RowCount() ||
      to >= RowCount()) {
    return;
  }
  const QStringList moving = Rows(from);
  const int step = from < to ? 1 : -1;
  for (int row = from; row != to; row += step) SetRows(row, Rows(row + step));
  SetRows(to, moving);
}

void TXStringGrid::SetRowCount(int count) {
  count = std::max(count, FixedRows());
  if (activeEditor && editRow >= count) FinishEdit();
  setRowCount(count - FixedRows());
}

void TXStringGrid::SetColCount(int count) {
  setColumnCount(std::max(count, FixedCols()) - FixedCols());
}

int TXStringGrid::ColWidths(int col) const {
  if (col < FixedCols()) return verticalHeader()->width();
  return columnWidth(col - FixedCols());
}

void TXStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  if (col < FixedCols()) {
    verticalHeader()->setFixedWidth(width);
  } else {
    setColumnWidth(col - FixedCols(), width);
  }
}

void TXStringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = height;
  verticalHeader()->setDefaultSectionSize(height);
  horizontalHeader()->setFixedHeight(height);
}

int TXStringGrid::Col() const {
  return currentColumn() >= 0 ? currentColumn() + FixedCols() : FixedCols();
}

int TXStringGrid::Row() const {
  return currentRow() >= 0 ? currentRow() + FixedRows() : FixedRows();
}

void TXStringGrid::SetCurrentCell(int col, int row) {
  const QModelIndex index = model()->index(row - FixedRows(), col - FixedCols());
  if (!index.isValid()) return;
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (options_ & goRowSelect) flags |= QItemSelectionModel::Rows;
  selectionModel()->setCurrentIndex(index, flags);
}

QRect TXStringGrid::CellRect(int col, int row) const {
  const QModelIndex index = model()->index(row - FixedRows(), col - FixedCols());
  return index.isValid() ? visualRect(index) : QRect();
}

void TXStringGrid::SetOptions(TGridOptions options) {
  options_ = options;
  setSelectionMode((options & goRangeSelect) ? ContiguousSelection : SingleSelection);
  setSelectionBehavior((options & goRowSelect) ? SelectRows : SelectItems);
  setTabKeyNavigation(options & goTabs);
  verticalHeader()->setSectionsMovable(options & goRowMoving);
  verticalHeader()->setSectionResizeMode((options & goRowSizing) ? QHeaderView::Interactive
                                                                 : QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode((options & goColSizing) ? QHeaderView::Interactive
                                                                   : QHeaderView::Fixed);
  verticalScrollBar()->setTracking(options & goThumbTracking);
  horizontalScrollBar()->setTracking(options & goThumbTracking);
  if (activeEditor && (!(options & goEditing) || (options & goRowSelect))) FinishEdit();
}

void TXStringGrid::SetFixedColor(const QColor& color) {
  fixedColor_ = color;
  UpdateColumn(-1);
}

void TXStringGrid::SetFixedLineColor(const QColor& color) {
  fixedLineColor_ = color;
  UpdateColumn(-1);
}

void TXStringGrid::SetGridLineColor(const QColor& color) {
  gridLineColor_ = color;
  UpdateColumn(-1);
}

void TXStringGrid::SetGridLineWidth(int width) {
  gridLineWidth_ = std::max(width, 0);
  UpdateColumn(-1);
}

void TXStringGrid::SetSelectedColor(const QColor& color) {
  selectedColor_ = color;
  UpdateColumn(-1);
}

void TXStringGrid::SetSelectedTextColor(const QColor& color) {
  selectedTextColor_ = color;
  UpdateColumn(-1);
}

void TXStringGrid::SetMultiLine(bool on) {
  multiLine_ = on;
  UpdateColumn(-1);
}

void TXStringGrid::UpdateColumn(int) {
  // Columns are narrow; repainting the whole visible table is as cheap as finding one.
  viewport()->update();
  horizontalHeader()->viewport()->update();
  verticalHeader()->viewport()->update();
  if (corner_) corner_->update();
}

void TXStringGrid::ShowCellEditor(int col, int row) {
  if (col < 0 || col >= columns_.Count()) return;
  TCellEditor* editor = columns_[col]->Editor();
  if (!editor) return;
  if (OnDrawEditor) {
    OnDrawEditor(this, col, row, editor);
    return;
  }
  columns_[col]->PlaceEditor(row);
}

void TXStringGrid::SetEditText(int col, int row, const QString& text) {
  SetCells(col, row, text);
  if (OnSetEditText) OnSetEditText(this, col, row, text);
}

void TXStringGrid::FinishEdit() {
  TCellEditor* editor = activeEditor;
  if (!editor) return;
  editor->EndEdit();
  editor->HideEditor();
  activeEditor = nullptr;
}

void TXStringGrid::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  keyPressEvent(&event);
}

void TXStringGrid::EditorDestroyed(TCellEditor* editor) {
  for (int i = 0; i < columns_.Count(); ++i) {
    if (columns_[i]->Editor() == editor) columns_[i]->DropEditor();
  }
  if (activeEditor == editor) activeEditor = nullptr;
}

void TXStringGrid::StartEditIfAllowed() {
  if (!currentIndex().isValid()) SetCurrentCell(FixedCols(), FixedRows());
  const int col = Col();
  const int row = Row();
  TCellEditor* editor = col < columns_.Count() ? columns_[col]->Editor() : nullptr;
  const bool allowed = (options_ & goEditing) && !(options_ & goRowSelect) && hasFocus() &&
                       currentIndex().isValid() && row >= FixedRows() && editor;
  if (allowed) {
    editCol = col;
    editRow = row;
    activeEditor = editor;
    try {
      editor->StartEdit();
    } catch (...) {
      activeEditor = nullptr;
      pendingChar = QChar();
      throw;
    }
    ShowCellEditor(col, row);
  }
  // A character no editor took must not turn up in a later edit.
  pendingChar = QChar();
}

void TXStringGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) {
    // The focus change has normally ended the edit already; this covers a grid that did not
    // take the focus, so that the text is never dropped.
    if (activeEditor) FinishEdit();
    SetCurrentCell(index.column() + FixedCols(), index.row() + FixedRows());
  }
  QTableWidget::mousePressEvent(event);
  if (index.isValid() && event->button() == Qt::LeftButton) StartEditIfAllowed();
}

void TXStringGrid::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool typed = !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127 &&
                     !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (immediateEditMode_) pendingChar = typed && (options_ & goEditing) ? text.at(0) : QChar();
  if (typed || event->key() == Qt::Key_F2) {
    // No incremental search: a typed character only ever starts an edit.
    StartEditIfAllowed();
    event->accept();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void TXStringGrid::scrollContentsBy(int dx, int dy) {
  QTableWidget::scrollContentsBy(dx, dy);
  if (activeEditor) ShowCellEditor(editCol, editRow);
}

bool TXStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_ && event->type() == QEvent::Paint) {
    QPainter painter(corner_);
    DrawCell(&painter, corner_->rect(), 0, 0, gdFixed);
    return true;
  }
  return QTableWidget::eventFilter(watched, event);
}

void TXStringGrid::ColumnsInserted(int first, int last) {
  columns_.Insert(first + FixedCols(), last - first + 1);
}

void TXStringGrid::ColumnsAboutToBeRemoved(int first, int last) {
  if (activeEditor && editCol >= first + FixedCols() && editCol <= last + FixedCols()) {
    activeEditor->HideEditor();
    activeEditor = nullptr;
  }
}

void TXStringGrid::ColumnsRemoved(int first, int last) {
  columns_.Remove(first + FixedCols(), last - first + 1);
}

void TXStringGrid::RowSectionMoved(int, int oldVisual, int newVisual) {
  if (undoingSectionMove_) return;
  // The header only moves rows on screen; the rows themselves move so that reading them top
  // to bottom gives the new order, and the header goes back to its plain order.
  undoingSectionMove_ = true;
  verticalHeader()->moveSection(newVisual, oldVisual);
  undoingSectionMove_ = false;
  MoveRow(oldVisual + FixedRows(), newVisual + FixedRows());
  viewport()->update();
}
