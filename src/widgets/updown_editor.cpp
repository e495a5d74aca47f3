#include "updown_editor.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "int_parse.h"
#include "xstring_grid.h"

namespace {

// The field's text as a number; anything that is not one counts as 0.
int64_t TextValue(const QString& text) {
  return ParseInteger(text.toStdString(), IntSyntax::Script).value_or(0);
}

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRepeat(true);
  return button;
}

}  // namespace

TInplaceUpDown::TInplaceUpDown(QWidget* parent)
    : QWidget(parent),
      up_(ArrowButton(Qt::UpArrow, this)),
      down_(ArrowButton(Qt::DownArrow, this)) {
  setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(up_);
  layout->addWidget(down_);
  connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT Stepped(true); });
  connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT Stepped(false); });
}

TUpDownInplace::TUpDownInplace(TUpDownCellEditor* editor, QWidget* parent)
    : QLineEdit(parent), editor_(editor) {
  setFrame(false);
}

bool TUpDownInplace::event(QEvent* event) {
  if (editor_->WantsTab(event)) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QLineEdit::event(event);
}

void TUpDownInplace::keyPressEvent(QKeyEvent* event) {
  bool leave = false;
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      leave = true;
      break;
    case Qt::Key_Left:
      leave = !hasSelectedText() && cursorPosition() == 0;
      break;
    case Qt::Key_Right:
      leave = !hasSelectedText() && cursorPosition() == text().length();
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
      QLineEdit::keyPressEvent(event);
      return;
  }
  int key = event->key();
  if (editor_->KeyLeaves(this, key, event->modifiers(), leave)) {
    event->accept();
    return;
  }
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      editor_->Step(key == Qt::Key_Up);
      [[fallthrough]];
    case 0:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      event->accept();
      return;
    default:
      break;
  }
  if (key == event->key()) {
    QLineEdit::keyPressEvent(event);
  } else {
    QKeyEvent changed(QEvent::KeyPress, key, event->modifiers());
    QLineEdit::keyPressEvent(&changed);
  }
}

void TUpDownInplace::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // The field's own context menu is a popup; opening it does not end the edit.
  if (event->reason() != Qt::PopupFocusReason) editor_->FocusLost();
}

TUpDownCellEditor::TUpDownCellEditor(QObject* owner) : TMetaCellEditor(owner) {}

TUpDownCellEditor::~TUpDownCellEditor() {
  delete arrows_.data();
}

TUpDownInplace* TUpDownCellEditor::Field() const {
  return static_cast<TUpDownInplace*>(control_.data());
}

QWidget* TUpDownCellEditor::MakeInplaceControl(QWidget* parent) {
  return new TUpDownInplace(this, parent);
}

void TUpDownCellEditor::ControlMade() {
  delete arrows_.data();
  arrows_ = new TInplaceUpDown(control_->parentWidget());
  arrows_->hide();
  // A click on the arrows looks for a widget to focus; the field, already focused, stops the
  // search before it reaches the grid and ends the edit.
  arrows_->setFocusProxy(control_);
  connect(arrows_, &TInplaceUpDown::Stepped, this, &TUpDownCellEditor::Step);
}

void TUpDownCellEditor::Attach(TXStringGrid* grid) {
  TMetaCellEditor::Attach(grid);
  if (arrows_ && arrows_->parentWidget() != grid->viewport()) {
    arrows_->setParent(grid->viewport());
    arrows_->hide();
  }
}

void TUpDownCellEditor::GridWindowClosed() {
  delete arrows_.data();
  TMetaCellEditor::GridWindowClosed();
}

void TUpDownCellEditor::StartEdit() {
  EnsureControl();
  TUpDownInplace* field = Field();
  TXStringGrid* grid = Grid();
  if (!grid->pendingChar.isNull()) {
    field->setText(QString(grid->pendingChar));  // the caret after it
    grid->pendingChar = QChar();
  } else {
    const QString text = grid->Cells(grid->editCol, grid->editRow);
    field->setText(text.isEmpty() ? defaultText_ : text);
    field->selectAll();
  }
  if (!arrows_) ControlMade();
  arrows_->SetPosition(static_cast<int>(TextValue(field->text())));
}

void TUpDownCellEditor::EndEdit() {
  if (TUpDownInplace* field = Field()) SetCellText(field->text());
}

void TUpDownCellEditor::Step(bool up) {
  TUpDownInplace* field = Field();
  if (!field) return;
  int64_t value = TextValue(field->text());
  if (up) {
    if (value + increment_ <= max_) value += increment_;
  } else {
    if (value - increment_ >= min_) value -= increment_;
  }
  field->setText(QString::number(value));
  if (arrows_) arrows_->SetPosition(static_cast<int>(value));
}

void TUpDownCellEditor::ShowAt(const QRect& rect) {
  EnsureControl();
  if (!arrows_) ControlMade();
  const int right = rect.x() + rect.width();  // one past the last column of the cell
  const QRect field(rect.x() + 1, rect.y() + 1, right - kArrowsWidth - (rect.x() + 1),
                    rect.height() - 2);
  control_->setGeometry(field);
  arrows_->setGeometry(field.x() + field.width(), field.y(), kArrowsWidth, field.height());
  control_->show();
  arrows_->show();
  arrows_->raise();
  control_->setFocus(Qt::OtherFocusReason);
}

void TUpDownCellEditor::HideEditor() {
  TMetaCellEditor::HideEditor();
  if (arrows_) arrows_->hide();
}
