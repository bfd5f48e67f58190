// TForm1. Every engine call (an input, a volition tick, the Initialize and
// Finalize clauses) goes through RunEngine: while it runs, input aimed at
// the windows is held and delivered afterwards, nothing else may enter the
// brain, and after a second a window offers Stop; what the run has to say
// (errors, a stop) is shown once it is over.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QFrame>
#include <QToolButton>
#include <exception>

#include "ui/busy_window.h"
#include "ui/editor_window.h"
#include "ui/fkeys_window.h"
#include "ui/glyphs.h"
#include "ui/text_codec.h"
#include "ui/trace_window.h"
#include "ui/tree_window.h"

namespace varnex {

namespace {
const QString kCaption = QStringLiteral("Corvane, LLC  Varnex Evaluation Program");
// An input that has run this long shows that the brain is busy.
constexpr double kShowBusyAfterSeconds = 1.0;
}  // namespace

// The brain's volition timer, as a QTimer on the window thread.
class TForm1::TimerBridge : public VolitionTimerInterface {
 public:
  explicit TimerBridge(QTimer& timer) : timer_(timer) {}
  void Start(int intervalMs) override { timer_.start(intervalMs); }
  void Stop() override { timer_.stop(); }

 private:
  QTimer& timer_;
};

TForm1::TForm1(UserDialogs& dialogs, std::unique_ptr<Speaker> speaker, QString iniPath, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      dialogs_(dialogs),
      speaker_(std::move(speaker)),
      iniPath_(std::move(iniPath)),
      timerBridge_(std::make_unique<TimerBridge>(volitionTimer_)) {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(kCaption);
  setWindowIcon(MakeGlyph(Glyph::App));
  setFixedSize(509, 279);

  // The toolbar: buttons 52 wide (Trace 60) and 40 high, glyph above
  // caption, with grooved spacers between the groups.
  RzToolbar1 = new QFrame(this);
  RzToolbar1->setObjectName(QStringLiteral("RzToolbar1"));
  RzToolbar1->setGeometry(0, 0, 509, 46);
  RzToolbar1->setFrameShape(QFrame::StyledPanel);
  int x = 3;
  auto button = [this, &x](const char* name, const char* caption, Glyph glyph, int width, void (TForm1::*command)()) {
    auto* b = new QToolButton(RzToolbar1);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromLatin1(caption));
    b->setIcon(MakeGlyph(glyph));
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setGeometry(x, 3, width, 40);
    x += width;
    connect(b, &QToolButton::clicked, this, [this, command] { (this->*command)(); });
    return b;
  };
  auto separator = [this, &x] {
    auto* groove = new QFrame(RzToolbar1);
    groove->setFrameShape(QFrame::VLine);
    groove->setFrameShadow(QFrame::Sunken);
    groove->setGeometry(x + 2, 6, 4, 34);
    x += 8;
  };
  BtnNew = button("BtnNew", "Clear", Glyph::Clear, 52, &TForm1::Clear);
  BtnOpen = button("BtnOpen", "Open", Glyph::Open, 52, &TForm1::Open);
  BtnSave = button("BtnSave", "Save", Glyph::Save, 52, &TForm1::Save);
  separator();
  BtnView = button("BtnView", "View", Glyph::View, 52, &TForm1::View);
  BtnUtilities = button("BtnUtilities", "Edit", Glyph::Edit, 52, &TForm1::Edit);
  BtnDetails = button("BtnDetails", "Trace", Glyph::Trace, 60, &TForm1::Trace);
  BtnProperties = button("BtnProperties", "F-Keys", Glyph::FKeys, 52, &TForm1::FKeysCommand);
  separator();
  BtnPlaySound = button("BtnPlaySound", "Speech", Glyph::Speech, 52, &TForm1::ToggleSpeech);
  separator();
  BtnExit = button("BtnExit", "Exit", Glyph::Exit, 52, &TForm1::Exit);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setFocusPolicy(Qt::ClickFocus);
  Memo1->setGeometry(4, 48, 501, 193);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(4, 248, 445, 21);
  Edit1->installEventFilter(this);
  RzButton1 = new QPushButton(QStringLiteral("Submit"), this);
  RzButton1->setObjectName(QStringLiteral("RzButton1"));
  RzButton1->setGeometry(452, 248, 45, 21);
  RzButton1->setFocusPolicy(Qt::NoFocus);
  connect(RzButton1, &QPushButton::clicked, this, &TForm1::Submit);
  Edit1->setFocus();

  trace_ = new TForm5(this);
  trace_->hide();
  trace_->OnCancel = [this] { brain_->SetTrace(nullptr); };

  busy_ = new BusyWindow(this);
  busy_->OnStop = [this] { brain_->RequestStop(); };
  hold_.Allow(busy_);

  connect(&volitionTimer_, &QTimer::timeout, this, [this] {
    // A running input, a load or save, and any modal box (one showing the
    // last input's errors, say) all come first.
    if (running_ || speaking_ || !RzButton1->isEnabled() || QApplication::activeModalWidget()) return;
    RunEngine([this] { return brain_->Tick(); });
  });

  ReplaceBrain(false, nullptr);
  const QString keysError = FKeys.Load(iniPath_);
  if (!keysError.isEmpty()) dialogs_.Message(this, keysError);
}

TForm1::~TForm1() {
  WriteFunctionKeys();
  if (brain_) brain_->SetVolitionTimer(nullptr);
}

void TForm1::ShowResult(const RunResult& result) {
  // Whatever ended a call early is shown; the program and the brain go on.
  if (!result.Done()) dialogs_.Message(this, ToDisplay(result.message));
}

template <class F>
void TForm1::RunEngine(F&& f) {
  if (running_) return;
  running_ = true;
  // What the user does meanwhile is delivered once the run is over.
  InputHold::Scope hold(hold_);
  const RunResult result = f();
  busy_->End();
  running_ = false;
  // A Make Code response reads Language text and shows its progress there.
  RestoreCaption();
  // Nothing interrupts a run: what it has to say comes once it is over.
  if (!runErrors_.isEmpty()) {
    const QString errors = runErrors_.join('\n');
    runErrors_.clear();
    dialogs_.Message(this, errors);
  }
  if (result.outcome == Outcome::Failed) dialogs_.Message(this, ToDisplay(result.message));
  if (result.outcome == Outcome::Stopped) dialogs_.Notice(this, ToDisplay(result.message));
}

void TForm1::WhileBusy(double seconds) {
  if (seconds >= kShowBusyAfterSeconds) {
    if (!busy_->isVisible()) busy_->Begin();
    busy_->SetSeconds(seconds);
  }
  // Keeps the windows painted and lets Stop be clicked; the hold keeps all
  // other input for later.
  QCoreApplication::processEvents();
}

void TForm1::ShowOutput(const std::string& text) {
  if (text.empty()) return;
  Memo1->appendPlainText(QStringLiteral("[Varnex]: ") + ToDisplay(text));
  Edit1->clear();
  if (!SpeechOn || !speaker_) return;
  // Waiting for the voice serves the window system; keys typed meanwhile
  // are kept, not lost.
  InputHold::Scope hold(hold_);
  speaking_ = true;
  QString error;
  bool spoken = speaker_->Speak(ToDisplay(text), error);
  speaking_ = false;
  if (!spoken && !speechFailureShown_) {
    speechFailureShown_ = true;
    dialogs_.Notice(this, QStringLiteral("Answers cannot be spoken: ") + error);
  }
}

void TForm1::SetProgressCaption(const std::string& text) {
  setWindowTitle(ToDisplay(text));
  QCoreApplication::processEvents();
}

void TForm1::RestoreCaption() { setWindowTitle(kCaption); }

void TForm1::SetBusy(bool busy) {
  RzToolbar1->setEnabled(!busy);
  RzButton1->setEnabled(!busy);
}

void TForm1::StartBrain() {
  RunEngine([this] { return brain_->Start(); });
}

void TForm1::StopBrain() {
  RunEngine([this] { return brain_->Stop(); });
}

void TForm1::ReplaceBrain(bool start, const std::function<RunResult(Brain&)>& fill) {
  if (brain_) StopBrain();
  brain_.reset();
  volitionTimer_.stop();
  allowPrograms_.reset();
  allowLibraries_.reset();
  brain_ = std::make_unique<Brain>();
  Handlers& on = brain_->On();
  on.answer = [this](const std::string& text) { ShowOutput(text); };
  brain_->SetVolitionTimer(timerBridge_.get());
  // Problems met while the engine runs (a Make Code response reads Language
  // text too) are listed once the run is over, not in a box in its middle.
  on.readerMessage = [this](const std::string& text) {
    if (running_)
      runErrors_ << ToDisplay(text);
    else
      dialogs_.Message(this, ToDisplay(text));
  };
  on.progress = [this](const std::string& text) { SetProgressCaption(text); };
  on.whileBusy = [this](double seconds) { WhileBusy(seconds); };
  on.error = on.readerMessage;
  on.permission = [this](Permission kind, const std::string& what) {
    std::optional<bool>& answer = kind == Permission::StartProgram ? allowPrograms_ : allowLibraries_;
    if (!answer) {
      const QString question = kind == Permission::StartProgram
                                   ? QStringLiteral("This brain wants to start the program\n%1\n\nAllow it to start programs?")
                                   : QStringLiteral("This brain wants to load the library\n%1\n\nAllow it to load libraries?");
      answer = dialogs_.Confirm(this, question.arg(ToDisplay(what)));
    }
    return *answer;
  };
  if (fill) {
    SetBusy(true);
    ShowResult(fill(*brain_));
    SetBusy(false);
    RestoreCaption();
  }
  if (start) StartBrain();
}

void TForm1::AttachTrace() {
  trace_->ClearText();
  brain_->SetTrace([this](const std::string& line) { trace_->AppendLine(ToDisplay(line)); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      // Ignored while a load or save is under way: the brain is being filled.
      if (RzButton1->isEnabled()) Submit();
      return true;
    }
    if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12) {
      Edit1->insert(FKeys.Shown(static_cast<std::size_t>(key->key() - Qt::Key_F1)));
      Edit1->setModified(true);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::Submit() {
  if (running_) return;
  const QString text = Edit1->text();
  Memo1->appendPlainText(QStringLiteral("[user]: ") + text);
  const std::string input = FromDisplay(text);
  RunEngine([&] { return brain_->Answer(input); });
}

void TForm1::Clear() {
  if (running_) return;
  if (!dialogs_.Confirm(this, Dirty ? QStringLiteral("Discard Changes Made??") : QStringLiteral("Clear Varnex Brain??")))
    return;
  ReplaceBrain(false, nullptr);
  Dirty = false;
  Memo1->clear();
}

void TForm1::Open() {
  if (running_) return;
  if (Dirty && !dialogs_.Confirm(this, QStringLiteral("Discard Changes Made??"))) return;
  const QString path = dialogs_.OpenFile(this);
  if (path.isEmpty()) return;
  OpenPath(path);
}

void TForm1::OpenPath(const QString& path) {
  if (running_) return;
  const std::string file = FromDisplay(path);
  ReplaceBrain(true, [&](Brain& b) { return b.ReadFile(file); });
  Dirty = false;
  if (trace_->isVisible()) AttachTrace();
}

void TForm1::Save() {
  if (running_) return;
  QString path = dialogs_.SaveFile(this);
  while (!path.isEmpty()) {
    SetBusy(true);
    const std::string error = brain_->Save(FromDisplay(path));
    SetBusy(false);
    RestoreCaption();
    if (error.empty()) {
      Dirty = false;
      return;
    }
    // A refused or failed save leaves the file as it was and the brain
    // unsaved; rather than leave the user with nothing, offer another file.
    if (!dialogs_.Confirm(this, QStringLiteral("The brain was not saved.\n\n%1\n\nSave it as another file?")
                                    .arg(ToDisplay(error))))
      return;
    path = dialogs_.SaveFile(this);
  }
}

void TForm1::View() {
  if (running_) return;
  auto* tree = new TForm2(this);
  tree->show();
  QCoreApplication::processEvents();
  tree->Build(*brain_);
}

void TForm1::Edit() {
  if (running_) return;
  SetBusy(true);
  std::vector<std::string> lines;
  try {
    lines = brain_->Text();
  } catch (const std::exception& e) {
    dialogs_.Message(this, QString::fromUtf8(e.what()));
  }
  // Writing the text showed its progress in the caption.
  RestoreCaption();
  TForm3 editor(lines, this);
  const bool accepted = RunEditorDialog ? RunEditorDialog(editor) : editor.exec() == QDialog::Accepted;
  SetBusy(false);
  if (accepted) {
    const std::vector<std::string> edited = editor.Lines();
    ReplaceBrain(true, [&](Brain& b) { return b.ReadText(edited); });
    Dirty = true;
  }
  RestoreCaption();
}

void TForm1::Trace() {
  if (running_) return;
  trace_->ClearText();
  trace_->show();
  trace_->raise();
  AttachTrace();
}

void TForm1::FKeysCommand() {
  if (running_) return;
  TForm4 window(FKeys, this);
  const bool accepted = RunFunctionKeyDialog ? RunFunctionKeyDialog(window) : window.exec() == QDialog::Accepted;
  if (accepted) FKeys = window.Keys();
}

void TForm1::Exit() {
  if (running_) return;
  if (Dirty && !dialogs_.Confirm(this, QStringLiteral("Exit Program Without Saving Changes??"))) return;
  StopBrain();
  WriteFunctionKeys();
  if (EndProgram) {
    EndProgram();
    return;
  }
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

void TForm1::WriteFunctionKeys() {
  if (keysWritten_) return;
  keysWritten_ = true;
  const QString error = FKeys.Save(iniPath_);
  if (!error.isEmpty()) dialogs_.Message(this, error);
}

void TForm1::closeEvent(QCloseEvent* event) {
  WriteFunctionKeys();
  QWidget::closeEvent(event);
}

}  // namespace varnex
