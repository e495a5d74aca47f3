// Modal message boxes and file dialogs go through here, so tests can answer them without a
// window that blocks.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct UiSeam {
  // Shows an error text with its detail (empty when none). Default: a critical message box
  // with the detail as its informative text.
  std::function<void(QWidget* parent, const QString& text, const QString& detail)> showError;
  // A file name to open, or an empty text when the operator cancels.
  std::function<QString(QWidget* parent, const QString& filter)> openFileName;
  // A file name to save to (default suffix added, overwrite asked), or an empty text.
  std::function<QString(QWidget* parent, const QString& filter, const QString& defaultSuffix)>
      saveFileName;

  // A question answered Yes (true) or No. Default: a message box with No as its default.
  std::function<bool(QWidget* parent, const QString& text)> question;

  static UiSeam& Instance();
  // Puts the real dialogs back.
  void Reset();
};
