#include "ui/editor_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/text_codec.h"

namespace varnex {

TForm3::TForm3(const std::vector<std::string>& lines, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  // No title-bar buttons: the window closes only through OK and Abort.
  setObjectName(QStringLiteral("TForm3"));
  setWindowTitle(QStringLiteral("Edit Varnex Language"));
  setModal(true);
  resize(690, 504);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  QStringList text;
  for (const auto& l : lines) text << ToDisplay(l);
  Memo1->setPlainText(text.join('\n'));
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn2 = new QPushButton(QStringLiteral("Abort"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  auto* buttons = new QHBoxLayout;
  buttons->addSpacing(64);
  buttons->addWidget(BitBtn1);
  buttons->addStretch();
  buttons->addWidget(BitBtn2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1);
  layout->addLayout(buttons);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, [this] {
    aborting_ = true;
    QDialog::reject();
    aborting_ = false;
  });
}

void TForm3::reject() {
  // Escape and the window manager's close both come here. Dropping the
  // user's edits that way, without a word, would be too easy: the window
  // closes only through OK and Abort.
  if (aborting_) QDialog::reject();
}

std::vector<std::string> TForm3::Lines() const {
  std::vector<std::string> out;
  const QStringList lines = Memo1->toPlainText().split('\n');
  for (const auto& l : lines) out.push_back(FromDisplay(l));
  return out;
}

}  // namespace varnex
