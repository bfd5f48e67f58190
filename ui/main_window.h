// TForm1: the program's main window. It owns the one brain, shows the
// conversation, takes the input and carries the toolbar of commands.
#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "engine/varnex.h"
#include "ui/dialogs.h"
#include "ui/function_keys.h"
#include "ui/input_hold.h"
#include "ui/speech.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QFrame;
class QToolButton;

namespace varnex {

class BusyWindow;
class TForm5;

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  TForm1(UserDialogs& dialogs, std::unique_ptr<Speaker> speaker, QString iniPath, QWidget* parent = nullptr);
  ~TForm1() override;

  // The toolbar's commands; the buttons call these.
  void Submit();
  void Clear();
  void Open();
  void OpenPath(const QString& path);  // Open without the question and the dialog
  void Save();
  void View();
  void Edit();
  void Trace();
  void FKeysCommand();
  void ToggleSpeech() { SpeechOn = !SpeechOn; }
  void Exit();

  Brain& brain() { return *brain_; }
  TForm5* traceWindow() { return trace_; }
  BusyWindow* busyWindow() { return busy_; }
  // True while an engine operation (an input, a volition tick, the
  // Initialize or Finalize clauses) runs; nothing else may enter the brain.
  bool EngineRunning() const { return running_; }
  // The function-key window is modal; this hook lets a caller (a test) act
  // on it while it is shown. It returns whether to accept.
  std::function<bool(class TForm4&)> RunFunctionKeyDialog;
  std::function<bool(class TForm3&)> RunEditorDialog;
  // What Exit does once the brain is stopped: end the program.
  std::function<void()> EndProgram;

  QFrame* RzToolbar1;
  QToolButton *BtnNew, *BtnOpen, *BtnSave, *BtnView, *BtnUtilities, *BtnDetails, *BtnProperties, *BtnPlaySound,
      *BtnExit;
  QPlainTextEdit* Memo1;
  QLineEdit* Edit1;
  QPushButton* RzButton1;
  bool SpeechOn = false;
  bool Dirty = false;
  FunctionKeys FKeys;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowOutput(const std::string& text);
  void SetProgressCaption(const std::string& text);
  void RestoreCaption();
  void ReplaceBrain(bool start, const std::function<RunResult(Brain&)>& fill);
  void StartBrain();
  void StopBrain();
  void SetBusy(bool busy);
  void AttachTrace();
  void WriteFunctionKeys();
  void ShowResult(const RunResult& result);
  template <class F>
  void RunEngine(F&& f);
  void WhileBusy(double seconds);

  UserDialogs& dialogs_;
  std::unique_ptr<Speaker> speaker_;
  QString iniPath_;
  std::unique_ptr<Brain> brain_;
  TForm5* trace_;
  QTimer volitionTimer_;
  BusyWindow* busy_;
  InputHold hold_;
  bool running_ = false;
  QStringList runErrors_;  // reported by the engine during the current run
  bool speaking_ = false;
  bool speechFailureShown_ = false;
  bool keysWritten_ = false;
  // Consent given or refused for the current brain, by kind.
  std::optional<bool> allowPrograms_, allowLibraries_;
  class TimerBridge;
  std::unique_ptr<TimerBridge> timerBridge_;
};

}  // namespace varnex
