#include "ui/busy_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/dialogs.h"

namespace varnex {

BusyWindow::BusyWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("BusyWindow"));
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  // Keys typed meanwhile belong to the input line, not to this window (a
  // blank would otherwise press Stop).
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  BtnStop = new QPushButton(QStringLiteral("Stop"), this);
  BtnStop->setObjectName(QStringLiteral("BtnStop"));
  BtnStop->setFocusPolicy(Qt::NoFocus);
  BtnStop->setAutoDefault(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(BtnStop, 0, Qt::AlignHCenter);
  connect(BtnStop, &QPushButton::clicked, this, [this] {
    BtnStop->setEnabled(false);
    Label1->setText(QStringLiteral("Stopping\u2026"));
    if (OnStop) OnStop();
  });
  SetSeconds(0);
  setFixedSize(sizeHint().expandedTo(QSize(220, 0)));
}

void BusyWindow::Begin() {
  BtnStop->setEnabled(true);
  if (QWidget* owner = parentWidget()) move(owner->geometry().center() - rect().center());
  show();
  if (!cursorSet_) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    cursorSet_ = true;
  }
}

void BusyWindow::SetSeconds(double seconds) {
  if (!BtnStop->isEnabled()) return;  // keeps "Stopping…"
  Label1->setText(QStringLiteral("Working on it\u2026 %1 s").arg(static_cast<int>(std::floor(seconds))));
}

void BusyWindow::End() {
  hide();
  if (cursorSet_) {
    QApplication::restoreOverrideCursor();
    cursorSet_ = false;
  }
}

}  // namespace varnex
