// Holding user input while the engine or the voice works: events aimed at
// ordinary windows are kept and replayed afterwards in order, so that no
// key typed meanwhile is lost and nothing acts in the middle of a run.
#include "ui/input_hold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace varnex {

namespace {

bool IsUserInput(const QEvent& event) {
  switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu: return true;
    // Closing a window from the window manager; the program's own closes
    // are not spontaneous and go ahead.
    case QEvent::Close: return event.spontaneous();
    default: return false;
  }
}

}  // namespace

InputHold::~InputHold() {
  if (depth_ > 0) QCoreApplication::instance()->removeEventFilter(this);
}

void InputHold::Hold() {
  if (depth_++ == 0) QCoreApplication::instance()->installEventFilter(this);
}

void InputHold::Release() {
  if (depth_ == 0 || --depth_ > 0) return;
  QCoreApplication::instance()->removeEventFilter(this);
  // Posted, not sent: they arrive once the caller is back in the event
  // loop, ahead of anything the window system delivers after them.
  std::vector<Kept> kept = std::move(kept_);
  kept_.clear();
  for (Kept& k : kept)
    if (k.target) QCoreApplication::postEvent(k.target, k.event.release());
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType() || !IsUserInput(*event)) return false;
  const QWidget* window = static_cast<QWidget*>(watched)->window();
  if (window == allowed_ || (window->isVisible() && window->windowModality() != Qt::NonModal)) return false;
  if (event->type() == QEvent::Close) event->ignore();  // the window stays open for now
  kept_.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
  return true;
}

}  // namespace varnex
