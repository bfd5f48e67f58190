// Every question the desktop program asks the user goes through this one
// small interface, so that tests can answer with scripted replies.
#pragma once

#include <QString>

class QWidget;

namespace varnex {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // The plain message box: a text and one OK button.
  virtual void Message(QWidget* parent, const QString& text) = 0;
  // The confirmation box (question icon, OK and Cancel): true for OK.
  virtual bool Confirm(QWidget* parent, const QString& question) = 0;
  // File dialogs: the chosen path, or empty when cancelled.
  virtual QString OpenFile(QWidget* parent) = 0;
  virtual QString SaveFile(QWidget* parent) = 0;
  // A notice that must not interrupt the user (no waiting for a reply).
  virtual void Notice(QWidget* parent, const QString& text) = 0;
};

// The real boxes and dialogs.
class QtDialogs : public UserDialogs {
 public:
  void Message(QWidget* parent, const QString& text) override;
  bool Confirm(QWidget* parent, const QString& question) override;
  QString OpenFile(QWidget* parent) override;
  QString SaveFile(QWidget* parent) override;
  void Notice(QWidget* parent, const QString& text) override;
};

inline constexpr const char* kApplicationTitle = "Corvane Varnex Demonstration";

}  // namespace varnex
