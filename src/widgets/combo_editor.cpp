#include "combo_editor.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "xstring_grid.h"

TComboInplace::TComboInplace(TComboCellEditor* editor, QWidget* parent)
    : QComboBox(parent), editor_(editor) {
  setFrame(false);
  setInsertPolicy(NoInsert);
}

void TComboInplace::ApplyStyle(TComboBoxStyle style) {
  setEditable(style == csDropDown || style == csSimple);
  if (lineEdit()) lineEdit()->setFrame(false);
}

bool TComboInplace::CaretAtStart() const {
  return lineEdit() && !lineEdit()->hasSelectedText() && lineEdit()->cursorPosition() == 0;
}

bool TComboInplace::CaretAtEnd() const {
  return lineEdit() && !lineEdit()->hasSelectedText() &&
         lineEdit()->cursorPosition() == lineEdit()->text().length();
}

bool TComboInplace::event(QEvent* event) {
  if (editor_->WantsTab(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QComboBox::event(event);
}

void TComboInplace::keyPressEvent(QKeyEvent* event) {
  const bool textField = editor_->Style() == csDropDown;
  bool leave = false;
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      leave = true;
      break;
    case Qt::Key_Left:
      leave = !textField || CaretAtStart();
      break;
    case Qt::Key_Right:
      leave = !textField || CaretAtEnd();
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      editor_->ReturnToGrid();
      event->accept();
      return;
    default:
      if (!isEditable() && !event->text().isEmpty() && event->text().at(0).unicode() >= 32) {
        SelectByTyping(event->text());
        event->accept();
        return;
      }
      QComboBox::keyPressEvent(event);
      return;
  }
  int key = event->key();
  if (editor_->KeyLeaves(this, key, event->modifiers(), leave) || key == 0 || key == Qt::Key_Tab ||
      key == Qt::Key_Backtab) {
    event->accept();
    return;
  }
  if (key == event->key()) {
    QComboBox::keyPressEvent(event);
  } else {
    QKeyEvent changed(QEvent::KeyPress, key, event->modifiers());
    QComboBox::keyPressEvent(&changed);
  }
}

void TComboInplace::SelectByTyping(const QString& text) {
  for (int i = 0; i < count(); ++i) {
    if (itemText(i).startsWith(text, Qt::CaseInsensitive)) {
      setCurrentIndex(i);
      return;
    }
  }
}

void TComboInplace::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // The drop-down list is the combo's own popup; opening it does not end the edit.
  if (event->reason() != Qt::PopupFocusReason) editor_->FocusLost();
}

TComboCellEditor::TComboCellEditor(QObject* owner) : TMetaCellEditor(owner) {}

TComboInplace* TComboCellEditor::Combo() const {
  return static_cast<TComboInplace*>(control_.data());
}

void TComboCellEditor::SetStyle(TComboBoxStyle style) {
  style_ = style;
  if (TComboInplace* combo = Combo()) combo->ApplyStyle(style);
}

void TComboCellEditor::SetItems(const QStringList& items) {
  items_ = items;
  if (TComboInplace* combo = Combo()) {
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
  }
}

QWidget* TComboCellEditor::MakeInplaceControl(QWidget* parent) {
  return new TComboInplace(this, parent);
}

void TComboCellEditor::ControlMade() {
  Combo()->ApplyStyle(style_);
  SetItems(items_);
}

void TComboCellEditor::StartEdit() {
  EnsureControl();
  TComboInplace* combo = Combo();
  combo->clear();
  combo->addItems(items_);
  combo->setCurrentIndex(-1);
  TXStringGrid* grid = Grid();
  if (!grid->pendingChar.isNull()) {
    const QString typed = QString(grid->pendingChar).toUpper();
    grid->pendingChar = QChar();
    const int code = typed.at(0).unicode();
    QKeyEvent press(QEvent::KeyPress, code < 0x80 ? code : int(Qt::Key_unknown), Qt::NoModifier,
                    typed);
    QCoreApplication::sendEvent(combo, &press);
    return;
  }
  const QString text = grid->Cells(grid->editCol, grid->editRow);
  if (style_ == csDropDown) {
    combo->setEditText(text);
  } else if (style_ == csDropDownList) {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
  }
  if (combo->currentText().isEmpty()) {
    if (combo->isEditable()) {
      combo->setEditText(defaultText_);
    } else {
      combo->setCurrentIndex(combo->findText(defaultText_, Qt::MatchFixedString));
    }
  }
}

void TComboCellEditor::EndEdit() {
  if (TComboInplace* combo = Combo()) SetCellText(combo->currentText());
}
