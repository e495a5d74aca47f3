#include "key_router.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <utility>

TKeyRouter::TKeyRouter(QWidget* window, std::vector<const QWidget*> textBoxes, Actions actions)
    : window_(window), textBoxes_(std::move(textBoxes)), actions_(std::move(actions)) {
  // Keys go to the focus widget first, so watching it and the window (for keys typed with no
  // focus widget and keys left to it) sees every key typed here; the rest of the program's
  // events, the ticks among them, pass by without a filter.
  window_->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, &TKeyRouter::WatchFocus);
}

bool TKeyRouter::IsTextBox(const QWidget* widget) const {
  // A spin box types into the line edit inside it.
  for (const QWidget* box : textBoxes_) {
    if (widget == box || (widget && widget->parentWidget() == box)) return true;
  }
  return false;
}

void TKeyRouter::WatchFocus(QWidget* old, QWidget* now) {
  if (old && old != window_) old->removeEventFilter(this);
  // Esc halts from every window of the program, so every focus widget is watched; a window
  // without one gets the keys itself.
  if (!now) now = QApplication::activeWindow();
  if (now && now != window_) now->installEventFilter(this);
}

bool TKeyRouter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  // The key goes to the focus widget first (then to its parents): act on that first delivery.
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  if (key == Qt::Key_Escape) {
    // A dialog still closes on it.
    if (watched == target) actions_.halt();
    return false;
  }
  const bool here = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_;
  if (key == Qt::Key_Home && here && !IsTextBox(static_cast<QWidget*>(watched))) {
    // Taken where it is first seen; in a text box it keeps its meaning there.
    actions_.home();
    return true;
  }
  if (here && key == Qt::Key_Space && actions_.space && actions_.space()) return true;
  const std::pair<int, const std::function<void()>*> functionKeys[] = {
      {Qt::Key_F5, &actions_.toggleJogPad},
      {Qt::Key_F6, &actions_.toggleJogTool},
      {Qt::Key_F7, &actions_.toggleArmView},
      {Qt::Key_F8, &actions_.teach},
      {Qt::Key_F9, &actions_.limp}};
  for (const auto& [functionKey, action] : functionKeys) {
    if (here && key == functionKey) {
      (*action)();
      return true;
    }
  }
  // Only keys typed in this window record, and the key is never consumed.
  if (watched == target && target && target->window() == window_ && !IsTextBox(target)) {
    actions_.keyPress(static_cast<QKeyEvent*>(event)->text());
  }
  return false;
}
