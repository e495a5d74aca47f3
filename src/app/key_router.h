// The main window's keys. Esc halts from every window of the program; Home, F5 to F9 and
// (while a script waits) Space act where the main window has them; any other key typed there
// records (the window's FormKeyPress) and still reaches the focused control. In a text box a key
// keeps its meaning there.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

class TKeyRouter : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    std::function<void()> halt;           // Esc
    std::function<void()> home;           // Home
    std::function<void()> toggleJogPad;   // F5
    std::function<void()> toggleJogTool;  // F6
    std::function<void()> toggleArmView;  // F7
    std::function<void()> teach;          // F8
    std::function<void()> limp;           // F9
    // Space: true when it was taken (a script waiting for the operator goes on), so that
    // the button with the focus is not pressed as well.
    std::function<bool()> space;
    std::function<void(const QString&)> keyPress;
  };
  // Watches `window` and every focus widget of the program. `textBoxes` (and what is inside
  // them, as the line edit of a spin box) take typed keys as text.
  TKeyRouter(QWidget* window, std::vector<const QWidget*> textBoxes, Actions actions);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchFocus(QWidget* old, QWidget* now);
  bool IsTextBox(const QWidget* widget) const;

  QWidget* window_;
  std::vector<const QWidget*> textBoxes_;
  Actions actions_;
};
