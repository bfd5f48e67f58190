// Speaking answers aloud. A speaker returns only once the text has been
// spoken (or has failed); the window processes no user input meanwhile.
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

// The platform's text-to-speech engine, connected on first use.
class SystemSpeaker : public Speaker {
 public:
  SystemSpeaker();
  ~SystemSpeaker() override;
  bool Speak(const QString& text, QString& error) override;

 private:
  std::unique_ptr<QTextToSpeech> engine_;
};

}  // namespace varnex
