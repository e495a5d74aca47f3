#include "vantrel_application.h"

#include <QMetaObject>
#include <QThread>
#include <exception>

#include "dialog_seam.h"
#include "error_report.h"
#include "errors.h"

void ShowErrorMessage(const QString& message, const QString& detail) {
  PrintError(message.toStdString(), detail.toStdString());
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  auto show = [message, detail] {
    UiSeam::Instance().showError(QApplication::activeWindow(), message, detail);
  };
  if (QThread::currentThread() != app->thread()) {
    QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
    return;
  }
  show();
}

TVantrelApplication::TVantrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Desktops match the window to its menu entry, and so to its name and icon, by this id.
  setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
  SetErrorReporter([](const std::string& message, const std::string& detail) {
    ShowErrorMessage(QString::fromStdString(message), QString::fromStdString(detail));
  });
}

TVantrelApplication::~TVantrelApplication() {
  SetErrorReporter({});
}

bool TVantrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowErrorMessage(QString::fromStdString(e.what()), QString::fromStdString(DetailOf(e)));
  } catch (...) {
    ShowErrorMessage(tr("Unknown error"));
  }
  return false;
}
