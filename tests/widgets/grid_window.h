// A shown, active window with a grid whose columns carry one editor of each kind:
// 1 drop-down list (M, P), 2 drop-down list (1..6), 3 number field (0..254), 4 button,
// 5 none.
#pragma once

#include <QLineEdit>
#include <QWidget>

#include "button_editor.h"
#include "combo_editor.h"
#include "updown_editor.h"
#include "xstring_grid.h"

struct GridWindow {
  GridWindow();

  // A mouse click on the middle of a normal cell.
  void Click(int col, int row);
  // The grid has the focus and (col, row) is the current cell.
  void Select(int col, int row);
  bool Editing(const TCellEditor* editor) const { return grid->activeEditor == editor; }

  QWidget window;
  TXStringGrid* grid;
  QLineEdit* other;  // somewhere else for the focus to go
  TComboCellEditor* letters;
  TComboCellEditor* ids;
  TUpDownCellEditor* number;
  TButtonCellEditor* button;
  bool active = false;
};

// Shows the widget and waits until it is the active window, so that focus changes happen.
bool ShowActive(QWidget* widget);
