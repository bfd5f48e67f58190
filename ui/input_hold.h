// Holding the user's input while the brain works on the window thread.
//
// The engine runs on the window thread, and while it runs the window system
// is still served now and then (so the window repaints, a Stop button can
// be clicked and an answer can be spoken). What the user types or clicks
// meanwhile must neither reach the brain in the middle of its work nor be
// thrown away. While a hold is on, every key, click, wheel turn and window
// close aimed at an ordinary window is kept aside; when the last hold ends,
// the kept events are delivered again in the order they came, as if the
// program had simply been slow to answer. Windows that belong to the run
// itself pass: the allowed window (the busy indicator) and any modal box
// that the run opens (a question the brain asks, for instance).
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

namespace varnex {

class InputHold : public QObject {
 public:
  InputHold() = default;
  ~InputHold() override;

  // Holds nest; input flows again when the last one is released.
  void Hold();
  void Release();
  bool Holding() const { return depth_ > 0; }
  // Input aimed at this window (and its children) passes during a hold.
  void Allow(QWidget* window) { allowed_ = window; }

  class Scope {
   public:
    explicit Scope(InputHold& hold) : hold_(hold) { hold_.Hold(); }
    ~Scope() { hold_.Release(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    InputHold& hold_;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Kept {
    QPointer<QObject> target;
    std::unique_ptr<QEvent> event;
  };
  int depth_ = 0;
  QPointer<QWidget> allowed_;
  std::vector<Kept> kept_;
};

}  // namespace varnex
