#include "command_editor.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <set>

#include "button_editor.h"
#include "combo_editor.h"
#include "error_report.h"
#include "errors.h"
#include "script_line.h"
#include "timeline_window.h"
#include "translate.h"
#include "ui_command_editor.h"
#include "updown_editor.h"
#include "xstring_grid.h"

namespace {

constexpr int kColLine = 0;
constexpr int kColCommand = 1;
constexpr int kColServoId = 2;
constexpr int kColValue = 3;
constexpr int kColDelete = 4;

// The letter of a row; a row still without one becomes an M when its letter is chosen.
char RowLetter(const TXStringGrid& grid, int row) {
  const QString cell = grid.Cells(kColCommand, row);
  return cell.isEmpty() ? 'M' : cell.at(0).toLatin1();
}

// A cell as a number of the script syntax, 0..255. An error names the cell as the operator
// sees it: "row 3, column Servo ID", the row by its Line cell, which moves with the row.
uint8_t CellByte(const TXStringGrid& grid, int col, int row) {
  const QString line = grid.Cells(kColLine, row);
  const QString text = grid.Cells(col, row);
  // A letter that takes no servo needs no Servo ID: left empty it is 0.
  if (col == kColServoId && text.trimmed().isEmpty() && !LetterTakesServo(RowLetter(grid, row))) {
    return 0;
  }
  const std::string where =
      TrFormat("row {1}, column {2}", {line.isEmpty() ? std::to_string(row) : line.toStdString(),
                                       grid.Columns()[col]->Caption().toStdString()});
  return WithDetail(where, [&] { return ScriptByte(text.toStdString()); });
}

const QStringList kServoIds = {"1", "2", "3", "4", "5", "6"};
const QStringList kNoServoIds = {"0", "1", "2", "3", "4", "5", "6"};

}  // namespace

TfrmCommandEdit::TfrmCommandEdit(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmCommandEdit>()) {
  ui_->setupUi(this);
  commandSheet = ui_->commandSheet;
  btOk = ui_->btOk;
  btCancel = ui_->btCancel;
  FormCreate();
  // A refused cell is reported here, with the dialog still open.
  connect(btOk, &QPushButton::clicked, this, [this] { RunGuarded([this] { btOkClick(); }); });
  connect(btCancel, &QPushButton::clicked, this, &TfrmCommandEdit::btCancelClick);
  connect(ui_->btTimeline, &QPushButton::clicked, this, &TfrmCommandEdit::btTimelineClick);
  connect(ui_->btInsert, &QPushButton::clicked, this, &TfrmCommandEdit::InsertAtCurrent);
  connect(ui_->btDeleteRows, &QPushButton::clicked, this, &TfrmCommandEdit::DeleteSelectedRows);
  // An open number field keeps the Delete key for its text: it claims it before a shortcut.
  auto* insertKey = new QShortcut(QKeySequence(Qt::Key_Insert), this);
  connect(insertKey, &QShortcut::activated, this, &TfrmCommandEdit::InsertAtCurrent);
  auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), this);
  connect(deleteKey, &QShortcut::activated, this, &TfrmCommandEdit::DeleteSelectedRows);
  commandSheet->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(commandSheet, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    RowMenu()->popup(commandSheet->viewport()->mapToGlobal(at));
  });
  // Dragging a row by its Line cell moves the row; the numbers stay in their places.
  connect(commandSheet->verticalHeader(), &QHeaderView::sectionMoved, this,
          &TfrmCommandEdit::NumberLines);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TfrmCommandEdit::~TfrmCommandEdit() = default;

void TfrmCommandEdit::FormCreate() {
  commands = &ownCommands_;

  cellComList = new TComboCellEditor(this);
  cellComList->SetStyle(csDropDownList);
  // T: the next move's time in tenths of a second, when played smooth; L, J, W, S: labels,
  // jumps back to them, waits for the operator and the pace of what follows.
  cellComList->SetItems({QStringLiteral("M"), QStringLiteral("P"), QStringLiteral("T"),
                         QStringLiteral("L"), QStringLiteral("J"), QStringLiteral("W"),
                         QStringLiteral("S")});
  cellComList->SetDefaultText(QStringLiteral("M"));

  cellIDList = new TComboCellEditor(this);
  // Typed as well as picked: a label's number goes up to 255.
  cellIDList->SetStyle(csDropDown);
  cellIDList->SetItems(kServoIds);

  cellValueNum = new TUpDownCellEditor(this);
  cellValueNum->SetMin(0);
  cellValueNum->SetMax(254);
  cellValueNum->SetIncrement(1);

  cellButDelete = new TButtonCellEditor(this);
  cellButDelete->SetCaption(tr("Delete"));
  cellButDelete->OnClick = [this](QObject* sender) { cellButDeleteClick(sender); };

  TXStringGrid* grid = commandSheet;
  grid->SetColCount(5);
  grid->SetRowCount(500);
  grid->SetOptions(goRangeSelect | goRowMoving | goEditing | goThumbTracking);
  grid->SetFixedLineColor(Qt::black);
  grid->SetImmediateEditMode(true);

  struct ColumnSetup {
    const char* caption;
    int width;
    QColor headerColor;
    QColor color;
    TCellEditor* editor;
  };
  const QColor fixedColor = grid->FixedColor();
  const QColor cellColor = grid->palette().color(QPalette::Base);
  const ColumnSetup setup[] = {
      {TrNoop("Line"), 52, Qt::cyan, Qt::cyan, nullptr},
      {TrNoop("Command"), 79, Qt::green, cellColor, cellComList},
      {TrNoop("Servo ID"), 64, fixedColor, cellColor, cellIDList},
      {TrNoop("Value"), 64, fixedColor, cellColor, cellValueNum},
      {TrNoop("Delete"), 64, Qt::red, cellColor, cellButDelete},
  };
  for (int col = 0; col < 5; ++col) {
    TXStringColumnItem* column = grid->Columns()[col];
    column->SetCaption(tr(setup[col].caption));
    column->SetWidth(setup[col].width);
    column->SetHeaderColor(setup[col].headerColor);
    column->SetColor(setup[col].color);
    column->SetHeaderFont(font());
    column->SetFont(font());
    column->SetEditor(setup[col].editor);
  }
  // The button text's black is hard to read on the red header.
  QFont deleteFont = font();
  deleteFont.setBold(true);
  grid->Columns()[kColDelete]->SetHeaderFont(deleteFont);
  grid->Columns()[kColDelete]->SetHeaderTextColor(Qt::white);
  grid->OnDrawEditor = [this](TXStringGrid*, int col, int row, TCellEditor*) {
    ShowEditor(col, row);
  };
  NumberLines();
  connect(grid, &QTableWidget::currentCellChanged, this, [this] { ShowFieldCaption(); });
  connect(grid, &QTableWidget::cellChanged, this, [this] { ShowFieldCaption(); });
  for (TMetaCellEditor* editor : std::initializer_list<TMetaCellEditor*>{
           cellComList, cellIDList, cellValueNum, cellButDelete}) {
    editor->InitEditor();
  }
}

QString TfrmCommandEdit::FieldCaption(QChar letter) {
  struct Caption {
    char letter;
    const char* text;
  };
  static const Caption captions[] = {
      {'M', TrNoop("M: Servo ID the servo (1 to 6), Value its position")},
      {'P', TrNoop("P: Value the pause in seconds")},
      {'T', TrNoop("T: Value the next move's time in tenths of a second (smooth)")},
      {'L', TrNoop("L: Servo ID the label's number (1 to 255)")},
      {'J', TrNoop("J: Servo ID the label to jump back to, Value how many more times "
                   "(0: for ever)")},
      {'W', TrNoop("W: waits until the operator presses Continue (Space)")},
      {'S', TrNoop("S: Value the speed in percent (10 to 400) of what follows")},
  };
  for (const Caption& c : captions) {
    if (letter == QLatin1Char(c.letter)) return QString::fromUtf8(Tr(c.text));
  }
  return {};
}

void TfrmCommandEdit::ShowFieldCaption() {
  const QString letter = commandSheet->Cells(kColCommand, commandSheet->currentRow());
  ui_->lbFields->setText(letter.isEmpty() ? QString() : FieldCaption(letter.front()));
}

void TfrmCommandEdit::LoadGrid() {
  // A longer script gets the rows it needs: rows left out would be lost on OK.
  const int rows = commandSheet->RowCount();
  if (static_cast<int>(commands->size()) + 1 > rows) {
    commandSheet->SetRowCount(static_cast<int>(commands->size()) + 1);
    NumberLines();
  }
  for (size_t i = 0; i < commands->size(); ++i) {
    const TServoCommand& command = *(*commands)[i];
    const int row = static_cast<int>(i) + 1;
    commandSheet->SetCells(kColCommand, row, QString(QLatin1Char(command.letter)));
    commandSheet->SetCells(kColServoId, row, QString::number(command.servoId));
    commandSheet->SetCells(kColValue, row, QString::number(command.value));
  }
}

void TfrmCommandEdit::btOkClick() {
  // An edit still open belongs to the table that is read below.
  commandSheet->FinishEdit();
  RefuseBadCells();
  accept();
  commands->clear();
  for (int row = 1; row < commandSheet->RowCount(); ++row) {
    const QString letter = commandSheet->Cells(kColCommand, row);
    if (letter.isEmpty()) break;
    auto command = std::make_unique<TServoCommand>();
    command->letter = letter.at(0).toLatin1();
    command->servoId = CellByte(*commandSheet, kColServoId, row);
    command->value = CellByte(*commandSheet, kColValue, row);
    commands->push_back(std::move(command));
  }
}

void TfrmCommandEdit::RefuseBadCells() const {
  for (int row = 1; row < commandSheet->RowCount(); ++row) {
    if (commandSheet->Cells(kColCommand, row).isEmpty()) return;
    CellByte(*commandSheet, kColServoId, row);
    CellByte(*commandSheet, kColValue, row);
  }
}

void TfrmCommandEdit::btCancelClick() {
  reject();
}

void TfrmCommandEdit::cellButDeleteClick(QObject*) {
  const int row = commandSheet->Row();
  if (commandSheet->Cells(kColCommand, row).isEmpty()) return;
  DeleteRow(row);
  // Left standing, the button would sit over the next command, one click from deleting it.
  commandSheet->FinishEdit();
  commandSheet->viewport()->update();
}

void TfrmCommandEdit::DeleteRow(int row) {
  const int lastRow = commandSheet->RowCount() - 1;
  if (row < 1 || row > lastRow) return;
  for (int k = row; k < lastRow; ++k) commandSheet->SetRows(k, commandSheet->Rows(k + 1));
  // Left as it was, the last row would show its command a second time.
  for (int col = kColCommand; col <= kColDelete; ++col) commandSheet->SetCells(col, lastRow, {});
  NumberLines();
}

void TfrmCommandEdit::InsertRow(int row) {
  int lastRow = commandSheet->RowCount() - 1;
  if (row < 1 || row > lastRow) return;
  // The command in the last row would be pushed out of the table.
  if (!commandSheet->Cells(kColCommand, lastRow).isEmpty()) {
    commandSheet->SetRowCount(++lastRow + 1);
  }
  for (int k = lastRow; k > row; --k) commandSheet->SetRows(k, commandSheet->Rows(k - 1));
  commandSheet->SetRows(row,
                        {{}, QStringLiteral("P"), QStringLiteral("0"), QStringLiteral("0"), {}});
  NumberLines();
}

void TfrmCommandEdit::InsertAtCurrent() {
  commandSheet->FinishEdit();
  const int row = commandSheet->Row();
  InsertRow(row);
  commandSheet->SetCurrentCell(kColCommand, row);
  commandSheet->viewport()->update();
}

void TfrmCommandEdit::DeleteSelectedRows() {
  commandSheet->FinishEdit();
  std::set<int> rows{commandSheet->Row()};
  for (const QModelIndex& index : commandSheet->selectionModel()->selectedIndexes()) {
    rows.insert(index.row() + commandSheet->FixedRows());
  }
  // From the bottom up, so the rows still to go keep their places.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (!commandSheet->Cells(kColCommand, *row).isEmpty()) DeleteRow(*row);
  }
  commandSheet->clearSelection();
  commandSheet->viewport()->update();
}

QMenu* TfrmCommandEdit::RowMenu() {
  if (!rowMenu_) {
    rowMenu_ = new QMenu(this);
    rowMenu_->addAction(tr("Insert row"), this, &TfrmCommandEdit::InsertAtCurrent);
    rowMenu_->addAction(tr("Delete rows"), this, &TfrmCommandEdit::DeleteSelectedRows);
  }
  return rowMenu_;
}

void TfrmCommandEdit::NumberLines() {
  for (int row = 1; row < commandSheet->RowCount(); ++row) {
    commandSheet->SetCells(kColLine, row, QString::number(row));
  }
}

void TfrmCommandEdit::ShowEditor(int col, int row) {
  if (col == kColServoId) {
    cellIDList->SetItems(LetterTakesServo(RowLetter(*commandSheet, row)) ? kServoIds : kNoServoIds);
  }
  commandSheet->Columns()[col]->PlaceEditor(row);
}

std::vector<TServoCommand> TfrmCommandEdit::TableCommands() const {
  std::vector<TServoCommand> result;
  for (int row = 1; row < commandSheet->RowCount(); ++row) {
    const QString letter = commandSheet->Cells(kColCommand, row);
    if (letter.isEmpty()) break;
    try {
      result.push_back({letter.at(0).toLatin1(), CellByte(*commandSheet, kColServoId, row),
                        CellByte(*commandSheet, kColValue, row)});
    } catch (const std::exception&) {
      break;  // a half-typed number: the picture shows the rows above it
    }
  }
  return result;
}

void TfrmCommandEdit::btTimelineClick() {
  if (!timeline_) {
    timeline_ = new TfrmTimeline([this] { return TableCommands(); }, this);
    timeline_->onCommandClicked = [this](int index) { SelectCommand(index); };
  }
  timeline_->show();
  timeline_->raise();
}

void TfrmCommandEdit::SelectCommand(int index) {
  const int row = index + 1;
  if (row < 1 || row >= commandSheet->RowCount()) return;
  commandSheet->FinishEdit();
  commandSheet->SetCurrentCell(kColCommand, row);
  commandSheet->selectRow(row - 1);
  commandSheet->scrollTo(commandSheet->currentIndex());
}

// The one part of the script model that needs the toolkit.
void TRoboPath::edit(int current) {
  auto dialog = std::make_unique<TfrmCommandEdit>();
  editor = dialog.get();
  struct ClearEditor {
    TfrmCommandEdit*& editor;
    ~ClearEditor() { editor = nullptr; }
  } clearEditor{editor};
  dialog->commands = &commands;
  dialog->LoadGrid();
  if (current >= 0) dialog->SelectCommand(current);
  dialog->exec();
}
