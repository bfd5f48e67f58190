#include "ui/trace_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnex {

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("TForm5"));
  setWindowTitle(QStringLiteral("Varnex Trace"));
  resize(677, 534);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);  // one trace line, one line
  BitBtn1 = new QPushButton(QStringLiteral("Cancel"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1);
  layout->addWidget(BitBtn1, 0, Qt::AlignRight);
  connect(BitBtn1, &QPushButton::clicked, this, [this] {
    ClearText();
    if (OnCancel) OnCancel();
    hide();
  });
}

void TForm5::AppendLine(const QString& line) { Memo1->appendPlainText(line); }
void TForm5::ClearText() { Memo1->clear(); }

}  // namespace varnex
