// Speech through QTextToSpeech. A voice that cannot be heard (no engine, no
// voices, no audio device, an error) is detected and reported once; from
// then on answers are not waited for.
#include "ui/speech.h"

#include <QEventLoop>
#include <QTextToSpeech>
#include <QTimer>

namespace varnex {

namespace {
// An engine that accepts a text but has not begun to speak it by then never
// will (it has nowhere to play it, typically).
constexpr int kStartTimeoutMs = 3000;
}  // namespace

SystemSpeaker::SystemSpeaker() = default;
SystemSpeaker::~SystemSpeaker() = default;

bool SystemSpeaker::Fail(const QString& reason, QString& error) {
  failure_ = reason.isEmpty() ? QStringLiteral("the text-to-speech engine failed") : reason;
  error = failure_;
  if (engine_) engine_->stop();
  return false;
}

bool SystemSpeaker::Speak(const QString& text, QString& error) {
  if (!failure_.isEmpty()) {
    error = failure_;
    return false;
  }
  if (!engine_) {
    if (QTextToSpeech::availableEngines().isEmpty())
      return Fail(QStringLiteral("no text-to-speech engine is installed"), error);
    engine_ = std::make_unique<QTextToSpeech>();
  }
  // An engine without an audio device still starts Ready; it reports the
  // missing device as its error reason, and later only as an error signal.
  if (engine_->state() == QTextToSpeech::Error || engine_->errorReason() != QTextToSpeech::ErrorReason::NoError)
    return Fail(engine_->errorString(), error);
  if (engine_->availableVoices().isEmpty()) return Fail(QStringLiteral("no voice is installed"), error);

  QEventLoop loop;
  bool started = false, finished = false;
  QString failed;
  auto finish = [&] {
    finished = true;
    loop.quit();
  };
  QObject::connect(engine_.get(), &QTextToSpeech::stateChanged, &loop, [&](QTextToSpeech::State s) {
    if (s == QTextToSpeech::Speaking) started = true;
    if (s == QTextToSpeech::Error) failed = engine_->errorString(), finish();
    if (s == QTextToSpeech::Ready && started) finish();
  });
  QObject::connect(engine_.get(), &QTextToSpeech::errorOccurred, &loop,
                   [&](QTextToSpeech::ErrorReason, const QString& message) {
                     failed = message;
                     finish();
                   });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
    if (started) return;
    failed = QStringLiteral("the text-to-speech engine did not start speaking");
    finish();
  });
  guard.start(kStartTimeoutMs);
  engine_->say(text);
  if (engine_->state() == QTextToSpeech::Speaking) started = true;
  if (engine_->state() == QTextToSpeech::Error) failed = engine_->errorString(), finished = true;
  if (!finished) loop.exec();
  if (!failed.isEmpty() || engine_->state() == QTextToSpeech::Error)
    return Fail(failed.isEmpty() ? engine_->errorString() : failed, error);
  return true;
}

}  // namespace varnex
