#include "vantrel_application.h"

#include <QMetaObject>
#include <QThread>
#include <exception>

#include "dialog_seam.h"
#include "error_report.h"

void ShowErrorMessage(const QString& message) {
  PrintError(message.toStdString());
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  if (QThread::currentThread() != app->thread()) {
    QMetaObject::invokeMethod(
        app, [message] { UiSeam::Instance().showError(QApplication::activeWindow(), message); },
        Qt::QueuedConnection);
    return;
  }
  UiSeam::Instance().showError(QApplication::activeWindow(), message);
}

TVantrelApplication::TVantrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  SetErrorReporter(
      [](const std::string& message) { ShowErrorMessage(QString::fromStdString(message)); });
}

TVantrelApplication::~TVantrelApplication() {
  SetErrorReporter({});
}

bool TVantrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowErrorMessage(QString::fromStdString(e.what()));
  } catch (...) {
    ShowErrorMessage(QStringLiteral("Unknown error"));
  }
  return false;
}
