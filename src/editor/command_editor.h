// The command editor: a modal dialog that shows the script as a table and rebuilds the
// script's own command list from it on OK.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "script_model.h"

namespace Ui {
class TfrmCommandEdit;
}

class QMenu;
class QPushButton;
class TButtonCellEditor;
class TComboCellEditor;
class TUpDownCellEditor;
class TXStringGrid;
class TfrmTimeline;

class TfrmCommandEdit : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmCommandEdit(QWidget* parent = nullptr);
  ~TfrmCommandEdit() override;

  // Command, Servo ID and Value of rows 1.. from the list, as far as the table reaches.
  void LoadGrid();
  // Closes with OK, then rebuilds the list from row 1 down to the first empty Command cell.
  // A Servo ID or Value that is not an integer raises EConvertError; the list then holds the
  // rows above the failing one. One outside 0..255 raises EScriptRangeError before anything
  // happens: the dialog stays open and the list as it was.
  void btOkClick();
  void btCancelClick();
  // Deletes the current row when its Command cell is not empty.
  void cellButDeleteClick(QObject* sender);
  // Rows below `row` move up by one; the last row is emptied. Line cells keep counting 1..n.
  void DeleteRow(int row);
  // A new row above `row` (a pause of 0 s, so it plays as nothing until it is changed); the
  // rows from `row` on move down, the table growing when its last row holds a command.
  void InsertRow(int row);
  // Insert, Insert key, context menu: a new row above the current one.
  void InsertAtCurrent();
  // Delete, Delete key, context menu: the selected command rows, or the current one.
  void DeleteSelectedRows();
  // The context menu of the table: insert and delete.
  QMenu* RowMenu();
  // The commands of the table as OK would read them, up to the first row OK would refuse.
  std::vector<TServoCommand> TableCommands() const;
  // Shows the timeline of the table; a click on a point selects its row.
  void btTimelineClick();
  // Makes the row of command `index` (0-based) the current one.
  void SelectCommand(int index);
  // What the Servo ID and Value fields mean for a command letter; empty for unknown ones.
  static QString FieldCaption(QChar letter);

  TXStringGrid* commandSheet;
  QPushButton* btOk;
  QPushButton* btCancel;
  TComboCellEditor* cellComList;
  TComboCellEditor* cellIDList;
  TUpDownCellEditor* cellValueNum;
  TButtonCellEditor* cellButDelete;
  // The list being edited; the script's own list once the script hands it over.
  TCommandList* commands;

 private:
  void FormCreate();
  // The caption under the table tells what the current row's fields mean.
  void ShowFieldCaption();
  // Raises the error of the first cell that is no number of 0..255, before the dialog closes,
  // so a typo neither closes it nor drops the commands below.
  void RefuseBadCells() const;
  // The Line cells read 1..n from the top, whatever moved.
  void NumberLines();
  // The Servo ID list offers what the row's letter takes: 0 for a letter without a servo.
  void ShowEditor(int col, int row);

  std::unique_ptr<Ui::TfrmCommandEdit> ui_;
  TfrmTimeline* timeline_ = nullptr;
  QMenu* rowMenu_ = nullptr;
  TCommandList ownCommands_;
};
