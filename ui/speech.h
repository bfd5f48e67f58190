// Speaking answers aloud. A speaker returns only once the text has been
// spoken (or has failed). While it waits, the window system is served; the
// caller holds the user's input meanwhile (ui/input_hold.h).
#pragma once

#include <QString>
#include <memory>

class QTextToSpeech;

namespace varnex {

class Speaker {
 public:
  virtual ~Speaker() = default;
  // False, with the reason in `error`, when the text could not be spoken.
  virtual bool Speak(const QString& text, QString& error) = 0;
};

// The platform's text-to-speech engine, connected on first use. Once it is
// known that no voice can be heard (no engine, no voice, no audio device,
// an engine error), it says so at once for every later text instead of
// waiting for a voice that never comes.
class SystemSpeaker : public Speaker {
 public:
  SystemSpeaker();
  ~SystemSpeaker() override;
  bool Speak(const QString& text, QString& error) override;

 private:
  bool Fail(const QString& reason, QString& error);

  std::unique_ptr<QTextToSpeech> engine_;
  QString failure_;  // why nothing can be heard; empty while it may work
};

}  // namespace varnex
