#include "ui/fkeys_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnex {

TForm4::TForm4(const FunctionKeys& keys, QWidget* parent) : QDialog(parent), keys_(keys) {
  setObjectName(QStringLiteral("TForm4"));
  setWindowTitle(QStringLiteral("Configure Function Keys"));
  setModal(true);
  resize(225, 407);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 12; ++i) {
    grid->addWidget(new QLabel(QStringLiteral("F%1:").arg(i + 1), this), i, 0);
    Edit[i] = new QLineEdit(keys.Shown(static_cast<std::size_t>(i)), this);
    Edit[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    Edit[i]->setMinimumWidth(121);
    grid->addWidget(Edit[i], i, 1);
  }
  OkButton = new QPushButton(QStringLiteral("OK"), this);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

FunctionKeys TForm4::Keys() const {
  FunctionKeys k = keys_;
  for (std::size_t i = 0; i < 12; ++i) k.SetShown(i, Edit[i]->text());
  return k;
}

}  // namespace varnex
