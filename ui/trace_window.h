// TForm5: the live trace. Created hidden at start, it lives until the
// program ends; the brain appends lines to it while it is attached.
#pragma once

#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace varnex {

class TForm5 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm5(QWidget* parent = nullptr);
  void AppendLine(const QString& line);
  void ClearText();
  // Called by Cancel, after the text is emptied, to detach from the brain.
  std::function<void()> OnCancel;

  QPlainTextEdit* Memo1;
  QPushButton* BitBtn1;
};

}  // namespace varnex
