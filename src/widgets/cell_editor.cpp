#include "cell_editor.h"

#include <QKeyEvent>
#include <QWidget>

#include "xstring_grid.h"

ECellEditorError ECellEditorError::AlreadyAssigned(const QString& editor, const QString& grid) {
  return ECellEditorError(
      QStringLiteral("%1 is allready assigned to %2").arg(editor, grid).toStdString());
}

ECellEditorError ECellEditorError::NotACellEditor() {
  return ECellEditorError("Cell Editor not of type TCellEditor");
}

TCellEditor::TCellEditor(QObject* owner) : QObject(owner) {}

TCellEditor::~TCellEditor() {
  if (TXStringGrid* grid = Grid()) grid->EditorDestroyed(this);
}

TXStringGrid* TCellEditor::Grid() const {
  return grid_.data();
}

void TCellEditor::Attach(TXStringGrid* grid) {
  if (grid_ && grid_ == grid) {
    ++attachCount_;
    return;
  }
  if (grid_) throw ECellEditorError::AlreadyAssigned(objectName(), grid_->objectName());
  grid_ = grid;
  attachCount_ = 1;
}

void TCellEditor::Detach() {
  if (attachCount_ == 0) return;
  if (--attachCount_ == 0) grid_ = nullptr;
}

void TCellEditor::SetCellText(const QString& text) {
  if (TXStringGrid* grid = Grid()) grid->SetEditText(grid->editCol, grid->editRow, text);
}

TMetaCellEditor::TMetaCellEditor(QObject* owner) : TCellEditor(owner) {}

TMetaCellEditor::~TMetaCellEditor() {
  // The control may hold the focus; its focus loss must not reach a half-destroyed editor.
  if (TXStringGrid* grid = Grid(); grid && grid->activeEditor == this) grid->activeEditor = nullptr;
  delete control_.data();
}

void TMetaCellEditor::Attach(TXStringGrid* grid) {
  TCellEditor::Attach(grid);
  if (control_ && control_->parentWidget() != grid->viewport()) {
    control_->setParent(grid->viewport());
    control_->hide();
  }
}

void TMetaCellEditor::GridWindowClosed() {
  // Made again for the next grid by EnsureControl.
  delete control_.data();
}

QWidget* TMetaCellEditor::MakeInplaceControl(QWidget*) {
  return nullptr;
}

void TMetaCellEditor::InitEditor() {
  QWidget* parent = Grid() ? Grid()->viewport() : nullptr;
  QWidget* control = nullptr;
  try {
    control = MakeInplaceControl(parent);
  } catch (...) {
    throw ECellEditorError::NotACellEditor();
  }
  if (!control) throw ECellEditorError::NotACellEditor();
  delete control_.data();
  control_ = control;
  control->hide();
  control->setFocusPolicy(Qt::ClickFocus);  // no tab stop
  ControlMade();
}

void TMetaCellEditor::EnsureControl() {
  if (!control_ || !Grid() || control_->parentWidget() != Grid()->viewport()) InitEditor();
}

void TMetaCellEditor::ShowAt(const QRect& rect) {
  EnsureControl();
  control_->setGeometry(rect);
  control_->show();
  control_->setFocus(Qt::OtherFocusReason);
}

void TMetaCellEditor::HideControl(QWidget* control) {
  if (!control) return;
  if (TXStringGrid* grid = Grid(); grid && control->hasFocus()) grid->setFocus();
  control->hide();
}

void TMetaCellEditor::HideEditor() {
  // Cleared first: the focus loss that hiding causes must not end the edit a second time.
  if (TXStringGrid* grid = Grid(); grid && grid->activeEditor == this) grid->activeEditor = nullptr;
  HideControl(control_);
}

void TMetaCellEditor::FocusLost() {
  TXStringGrid* grid = Grid();
  if (!grid || grid->activeEditor != this) return;
  EndEdit();
  HideEditor();
}

bool TMetaCellEditor::KeyLeaves(QObject* sender, int& key, Qt::KeyboardModifiers shift,
                                bool leave) {
  if (AllowEndEditEvent) AllowEndEditEvent(sender, key, shift, leave);
  if (!leave) return false;
  QPointer<TXStringGrid> grid = Grid();
  FocusLost();
  if (grid) {
    if (key != 0) grid->HandleKey(key, shift);
    grid->setFocus();
  }
  return true;
}

void TMetaCellEditor::ReturnToGrid() {
  QPointer<TXStringGrid> grid = Grid();
  FocusLost();
  if (grid) grid->setFocus();
}

bool TMetaCellEditor::WantsTab(const QEvent* event) const {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return (key == Qt::Key_Tab || key == Qt::Key_Backtab) && Grid() && (Grid()->Options() & goTabs);
}
