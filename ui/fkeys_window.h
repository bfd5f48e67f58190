// TForm4: editing the twelve function-key macros.
#pragma once

#include <QDialog>
#include <array>

#include "ui/function_keys.h"

class QLineEdit;
class QPushButton;

namespace varnex {

class TForm4 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm4(const FunctionKeys& keys, QWidget* parent = nullptr);
  // The texts as edited (taken on OK).
  FunctionKeys Keys() const;

  std::array<QLineEdit*, 12> Edit;  // Edit1 .. Edit12
  QPushButton* OkButton;
  QPushButton* CancelButton;

 private:
  FunctionKeys keys_;  // as given, so that unchanged macros keep their bytes
};

}  // namespace varnex
