// The application object: one place where every error that leaves an event handler ends up.
#pragma once

#include <QApplication>

class TVantrelApplication : public QApplication {
  Q_OBJECT

 public:
  TVantrelApplication(int& argc, char** argv);
  ~TVantrelApplication() override;

  // Runs the handler; an exception that leaves it is shown and the program carries on.
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows `message` in an error box, `detail` as its second line (on the main thread; other
// threads post it there), and writes it to standard error as "vantrel: <message> - <detail>".
void ShowErrorMessage(const QString& message, const QString& detail = {});
