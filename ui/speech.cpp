#include "ui/speech.h"

#include <QEventLoop>
#include <QTextToSpeech>
#include <QTimer>

namespace varnex {

SystemSpeaker::SystemSpeaker() = default;
SystemSpeaker::~SystemSpeaker() = default;

bool SystemSpeaker::Speak(const QString& text, QString& error) {
  if (!engine_) {
    if (QTextToSpeech::availableEngines().isEmpty()) {
      error = QStringLiteral("no text-to-speech engine is installed");
      return false;
    }
    engine_ = std::make_unique<QTextToSpeech>();
  }
  if (engine_->state() == QTextToSpeech::Error) {
    error = engine_->errorString();
    if (error.isEmpty()) error = QStringLiteral("the text-to-speech engine failed");
    return false;
  }
  QEventLoop loop;
  bool started = false;
  QObject::connect(engine_.get(), &QTextToSpeech::stateChanged, &loop, [&](QTextToSpeech::State s) {
    if (s == QTextToSpeech::Speaking) started = true;
    if (s == QTextToSpeech::Ready || s == QTextToSpeech::Error) loop.quit();
  });
  // Speaking may never start (an engine that swallows the text): the wait
  // is bounded so the brain is never held up for good.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
    if (!started) loop.quit();
    else guard.start(1000);
  });
  guard.start(5000);
  engine_->say(text);
  if (engine_->state() == QTextToSpeech::Speaking) started = true;
  if (engine_->state() != QTextToSpeech::Ready) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (engine_->state() == QTextToSpeech::Error) {
    error = engine_->errorString();
    return false;
  }
  return true;
}

}  // namespace varnex
