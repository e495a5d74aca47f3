// A string grid whose cells are edited only through per-column cell editors shown over the
// cell being edited. Cells are addressed (col, row) with the fixed header row 0 and the fixed
// leading column 0 included: row 0 is the table's column header, column 0 its row header.
#pragma once

#include <QChar>
#include <QColor>
#include <QRect>
#include <QStringList>
#include <QTableWidget>
#include <functional>

#include "column_items.h"

class QAbstractButton;
class QPainter;
class TCellEditor;
class TXStringGrid;

enum TGridOption : unsigned {
  goRangeSelect = 1u << 0,
  goRowSizing = 1u << 1,
  goColSizing = 1u << 2,
  goRowMoving = 1u << 3,
  goEditing = 1u << 4,
  goTabs = 1u << 5,
  goRowSelect = 1u << 6,
  goAlwaysShowEditor = 1u << 7,
  goThumbTracking = 1u << 8,
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1u << 0, gdFocused = 1u << 1, gdFixed = 1u << 2 };
using TGridDrawState = unsigned;

// Replaces the default placement of an editor.
using TDrawEditorEvent =
    std::function<void(TXStringGrid* sender, int col, int row, TCellEditor* editor)>;
// Called before a cell's text is drawn; may change the alignment, the text and the painter's
// brush (background), pen (text colour) and font.
using TCellPropsEvent =
    std::function<void(TXStringGrid* sender, QPainter* canvas, TAlignment& alignment,
                       QString& cellText, TGridDrawState state, int row, int col)>;
// The grid's own per-cell draw event, run after the text.
using TDrawCellEvent = std::function<void(TXStringGrid* sender, QPainter* canvas, int col, int row,
                                          const QRect& rect, TGridDrawState state)>;
// A cell was written through the edit-text path.
using TSetEditTextEvent =
    std::function<void(TXStringGrid* sender, int col, int row, const QString& text)>;

class TXStringGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit TXStringGrid(QWidget* parent = nullptr);
  ~TXStringGrid() override;

  QString Cells(int col, int row) const;
  void SetCells(int col, int row, const QString& text);
  // All cells of a row, the fixed one first.
  QStringList Rows(int row) const;
  void SetRows(int row, const QStringList& cells);
  // The row at `from` goes to `to`; the rows between shift by one.
  void MoveRow(int from, int to);

  int RowCount() const { return rowCount() + FixedRows(); }
  void SetRowCount(int count);
  int ColCount() const { return columnCount() + FixedCols(); }
  void SetColCount(int count);
  int FixedRows() const { return 1; }
  int FixedCols() const { return 1; }
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);

  // The current cell; (FixedCols, FixedRows) when the table has none yet.
  int Col() const;
  int Row() const;
  void SetCurrentCell(int col, int row);
  // A normal cell's rectangle in viewport coordinates; empty for fixed or unknown cells.
  QRect CellRect(int col, int row) const;

  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions options);

  TXStringColumns& Columns() { return columns_; }
  const TXStringColumns& Columns() const { return columns_; }

  QColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(const QColor& color);
  QColor FixedLineColor() const { return fixedLineColor_; }
  void SetFixedLineColor(const QColor& color);
  QColor GridLineColor() const { return gridLineColor_; }
  void SetGridLineColor(const QColor& color);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int width);
  QColor SelectedColor() const { return selectedColor_; }
  void SetSelectedColor(const QColor& color);
  QColor SelectedTextColor() const { return selectedTextColor_; }
  void SetSelectedTextColor(const QColor& color);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool on);
  bool ImmediateEditMode() const { return immediateEditMode_; }
  void SetImmediateEditMode(bool on) { immediateEditMode_ = on; }

  TDrawEditorEvent OnDrawEditor;
  TCellPropsEvent OnCellProps;
  TDrawCellEvent OnDrawCell;
  TSetEditTextEvent OnSetEditText;

  // Shows the column's editor over the cell (OnDrawEditor, or the column's PlaceEditor).
  virtual void ShowCellEditor(int col, int row);
  // The path through which editors write cells.
  void SetEditText(int col, int row, const QString& text);
  // Ends the edit in progress as a focus loss would: the text is written, the editor hidden.
  void FinishEdit();
  // Handles a key as if it had been typed on the grid.
  void HandleKey(int key, Qt::KeyboardModifiers modifiers);
  void DrawCell(QPainter* painter, const QRect& rect, int col, int row, TGridDrawState state);
  void UpdateColumn(int col);
  // An editor is being destroyed: no column refers to it any more.
  void EditorDestroyed(TCellEditor* editor);

  // The edit in progress, kept up to date by the grid and its editors.
  TCellEditor* activeEditor = nullptr;
  int editCol = 0;
  int editRow = 0;
  // The character that started the edit in immediate edit mode; null when none.
  QChar pendingChar;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTableWidgetItem* ItemAt(int col, int row) const;
  void StartEditIfAllowed();
  void ColumnsInserted(int first, int last);
  void ColumnsAboutToBeRemoved(int first, int last);
  void ColumnsRemoved(int first, int last);
  void RowSectionMoved(int logical, int oldVisual, int newVisual);

  TXStringColumns columns_;
  QString cornerText_;
  QAbstractButton* corner_ = nullptr;
  TGridOptions options_ = 0;
  int defaultRowHeight_ = 24;
  QColor fixedColor_;
  QColor fixedLineColor_ = Qt::black;
  QColor gridLineColor_ = QColor(0xC0, 0xC0, 0xC0);
  int gridLineWidth_ = 1;
  QColor selectedColor_;
  QColor selectedTextColor_;
  bool multiLine_ = false;
  bool immediateEditMode_ = false;
  bool undoingSectionMove_ = false;
};
