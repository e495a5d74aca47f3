#include "dialog_seam.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QString RunFileDialog(QWidget* parent, const QString& filter, QFileDialog::AcceptMode mode,
                      const QString& defaultSuffix) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setNameFilter(filter);
  // The file to open need not exist: a typed name that is missing fails in the load.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  // Asking before overwriting is the dialog's default for saving.
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

UiSeam& UiSeam::Instance() {
  static UiSeam seam = [] {
    UiSeam s;
    s.Reset();
    return s;
  }();
  return seam;
}

void UiSeam::Reset() {
  showError = [](QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vantrel"), text, QMessageBox::Ok,
                    parent);
    box.setInformativeText(detail);
    box.exec();
  };
  question = [](QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QStringLiteral("Vantrel"), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  openFileName = [](QWidget* parent, const QString& filter) {
    return RunFileDialog(parent, filter, QFileDialog::AcceptOpen, QString());
  };
  saveFileName = [](QWidget* parent, const QString& filter, const QString& suffix) {
    return RunFileDialog(parent, filter, QFileDialog::AcceptSave, suffix);
  };
}
