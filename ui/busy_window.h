// The small window that shows that the brain is busy with a long input and
// offers to stop it.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace varnex {

class BusyWindow : public QWidget {
  Q_OBJECT
 public:
  explicit BusyWindow(QWidget* parent);
  // Shows the window (without taking the keyboard from the input line).
  void Begin();
  void SetSeconds(double seconds);
  void End();
  // Called when Stop is clicked.
  std::function<void()> OnStop;

  QLabel* Label1;
  QPushButton* BtnStop;

 private:
  bool cursorSet_ = false;
};

}  // namespace varnex
