#include "ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace varnex {
namespace {
const QString kFilter = QStringLiteral("Varnex Language Files (*.vlf);;Any File (*)");
}  // namespace

void QtDialogs::Message(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok);
}

bool QtDialogs::Confirm(QWidget* parent, const QString& question) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle), question,
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::OpenFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Load Varnex Language File"), QString(), kFilter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("vlf"));
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString QtDialogs::SaveFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Save Varnex Language File"), QString(), kFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("vlf"));
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void QtDialogs::Notice(QWidget* parent, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Information, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  // The user may be typing: the keys stay with the window they are in.
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->show();
}

}  // namespace varnex
