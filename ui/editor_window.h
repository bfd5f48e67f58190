// TForm3: the brain as Language text, to edit and accept (OK) or drop (Abort).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace varnex {

class TForm3 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm3(const std::vector<std::string>& lines, QWidget* parent = nullptr);
  std::vector<std::string> Lines() const;

  QPlainTextEdit* Memo1;
  QPushButton* BitBtn1;  // OK
  QPushButton* BitBtn2;  // Abort

  void reject() override;

 private:
  bool aborting_ = false;
};

}  // namespace varnex
