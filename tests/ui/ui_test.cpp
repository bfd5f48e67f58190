// The desktop windows driven for real on the offscreen platform, with every
// question to the user answered by a script.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <utility>

#include "ui/application.h"
#include "ui/busy_window.h"
#include "ui/editor_window.h"
#include "ui/fkeys_window.h"
#include "ui/main_window.h"
#include "ui/trace_window.h"
#include "ui/tree_window.h"

using namespace varnex;

namespace {

// The hit counts of the brain's mode clauses, read through its walk.
std::vector<int32_t> ClauseHits(const Brain& brain) {
  struct Hits : BrainVisitor {
    std::vector<int32_t> hits;
    void Clause(int, int32_t n, std::string_view) override { hits.push_back(n); }
  } v;
  brain.Visit(v);
  return v.hits;
}

class ScriptedDialogs : public UserDialogs {
 public:
  void Message(QWidget*, const QString& text) override {
    messages << text;
    if (running && running()) ++boxesDuringRun;
  }
  bool Confirm(QWidget*, const QString& question) override {
    questions << question;
    return confirmAnswers.empty() ? true : Take(confirmAnswers);
  }
  QString OpenFile(QWidget*) override {
    ++fileDialogs;
    return openPath;
  }
  QString SaveFile(QWidget*) override {
    ++saveDialogs;
    if (saveAnswers.empty()) return savePath;
    QString path = saveAnswers.front();
    saveAnswers.pop_front();
    return path;
  }
  void Notice(QWidget*, const QString& text) override { notices << text; }

  QStringList messages, questions, notices;
  std::deque<bool> confirmAnswers;
  QString openPath, savePath;
  std::deque<QString> saveAnswers;
  std::function<bool()> running;  // whether the engine runs right now
  int boxesDuringRun = 0;
  int fileDialogs = 0, saveDialogs = 0;

 private:
  static bool Take(std::deque<bool>& d) {
    bool v = d.front();
    d.pop_front();
    return v;
  }
};

class FailingSpeaker : public Speaker {
 public:
  bool Speak(const QString& text, QString& error) override {
    spoken << text;
    error = QStringLiteral("no engine");
    return false;
  }
  QStringList spoken;
};

// The caption as the window manager shows it: Qt appends " — " and the
// application display name to every caption once a display name is set.
// Whether one is set shows in whether the display name follows the
// application name.
QString ShownCaption(const QWidget& w) {
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name + "-probe");
  const bool displayNameSet = QGuiApplication::applicationDisplayName() != name + "-probe";
  QCoreApplication::setApplicationName(name);
  const QString display = QGuiApplication::applicationDisplayName();
  const QString title = w.windowTitle();
  if (!displayNameSet || title.endsWith(display)) return title;
  return title + QStringLiteral(" \u2014 ") + display;
}

// Speaks in no time; meanwhile does what a user might do.
class ActingSpeaker : public Speaker {
 public:
  bool Speak(const QString& text, QString&) override {
    spoken << text;
    if (whileSpeaking) std::exchange(whileSpeaking, nullptr)();
    return true;
  }
  QStringList spoken;
  std::function<void()> whileSpeaking;  // once
};

QStringList PaneLines(TForm1& w) { return w.Memo1->toPlainText().split('\n', Qt::SkipEmptyParts); }

void Type(TForm1& w, const QString& text) {
  w.Edit1->setText(text);
  QTest::keyClick(w.Edit1, Qt::Key_Return);
}

}  // namespace

class UiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir;
  QString Brain(const QString& name, const QByteArray& text) {
    QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
  }
  const QByteArray kHello =
      "For-Mode 0,0\n  Fragment Initialize,0,0, {}, {}, {}\n  Response {Started.},Just Text,{},{}\n"
      "For-Mode 0,0\n  Fragment AND,0,0, {hi}, {}, {}\n  Response {Hello!},Just Text,{},{}\n"
      "For-Mode 0,0\n  Fragment AND,0,0, {quiet}, {}, {}\n  Response {},None,{},{}\n";
  // An input that runs until it is stopped: a fact doubles until it is too
  // long (an error each time), again and again.
  const QByteArray kLoop =
      "For-Mode 0,0\n  Fragment AND,0,0, {loop}, {}, {}\n  Response {done},Task List,{},{}\n"
      "    Task {},Set Label,{top},{}\n    Task {},Assignment,{x},{^Fact{x}^Fact{x}x}\n    Task {},Goto,{top},{}\n";

 private slots:
  void captionsAreExactlyTheirOwnTexts() {
    SetUpApplication();
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("captions.INI"));
    QCOMPARE(ShownCaption(w), QStringLiteral("Corvane, LLC  Varnex Evaluation Program"));
    QCOMPARE(ShownCaption(*w.traceWindow()), QStringLiteral("Varnex Trace"));
    TForm2 tree;
    tree.Build(w.brain());
    QCOMPARE(ShownCaption(tree), QStringLiteral("Show Knowledge Tree"));
    TForm3 editor({});
    QCOMPARE(ShownCaption(editor), QStringLiteral("Edit Varnex Language"));
    TForm4 keys(w.FKeys);
    QCOMPARE(ShownCaption(keys), QStringLiteral("Configure Function Keys"));
    // The application title stays the title of the message boxes.
    QtDialogs real;
    real.Notice(&w, QStringLiteral("note"));
    auto boxes = w.findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(ShownCaption(*boxes[0]), QStringLiteral("Corvane Varnex Demonstration"));
    delete boxes[0];
  }

  void conversationAndInputLine() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("a.INI"));
    w.OpenPath(Brain("hello.vlf", kHello));
    QCOMPARE(PaneLines(w), QStringList{"[Varnex]: Started."});
    Type(w, "");
    // Enter on an empty line sends the empty input; the Initialize clause,
    // scoring 0, is the best answer to it.
    QCOMPARE(PaneLines(w).mid(1, 2), (QStringList{"[user]: ", "[Varnex]: Started."}));
    Type(w, "hi");
    QCOMPARE(PaneLines(w).back(), QStringLiteral("[Varnex]: Hello!"));
    QCOMPARE(w.Edit1->text(), QString());  // an answer empties the input line
    Type(w, "quiet");                      // an empty answer adds nothing and keeps the line
    QCOMPARE(PaneLines(w).back(), QStringLiteral("[user]: quiet"));
    QCOMPARE(w.Edit1->text(), QStringLiteral("quiet"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Corvane, LLC  Varnex Evaluation Program"));
  }

  void clearOpenAndDirtyQuestions() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("b.INI"));
    d.openPath = Brain("hello.vlf", kHello);
    w.Open();  // not dirty: no question before the dialog
    QVERIFY(d.questions.isEmpty());
    Type(w, "hi");
    w.Open();  // Open keeps the pane
    QCOMPARE(PaneLines(w).size(), 4);
    d.confirmAnswers = {true};
    w.Clear();
    QCOMPARE(d.questions.back(), QStringLiteral("Clear Varnex Brain??"));
    QVERIFY(w.Memo1->toPlainText().isEmpty());
    QCOMPARE(ClauseHits(w.brain()).size(), 0u);  // a new brain, never started

    // The editor's OK makes the brain dirty; its Abort changes nothing.
    w.RunEditorDialog = [](TForm3& e) {
      e.Memo1->setPlainText("Response {x},Just Text,{},{}\nFor-Mode 0,0\n  Fragment AND,0,0, {yo}, {}, {}\n"
                            "  Response {Yo!},Just Text,{},{}\n");
      return true;
    };
    w.Edit();
    QVERIFY(w.Dirty);
    QCOMPARE(d.messages, (QStringList{"Mode Error In Line 1", "Response {x},Just Text,{},{}"}));
    Type(w, "yo");
    QCOMPARE(PaneLines(w).back(), QStringLiteral("[Varnex]: Yo!"));
    for (int i = 0; i < 4; ++i) Type(w, "yo");
    QCOMPARE(ClauseHits(w.brain()), (std::vector<int32_t>{5}));
    w.RunEditorDialog = [](TForm3&) { return false; };
    w.Edit();
    QCOMPARE(ClauseHits(w.brain()), (std::vector<int32_t>{5}));
    QVERIFY(w.RzToolbar1->isEnabled() && w.RzButton1->isEnabled());

    d.confirmAnswers = {false};
    const int dialogs = d.fileDialogs;
    w.Open();  // dirty, and Cancel on the question: no file dialog
    QCOMPARE(d.questions.back(), QStringLiteral("Discard Changes Made??"));
    QCOMPARE(d.fileDialogs, dialogs);
    d.confirmAnswers = {false};
    w.Clear();
    QCOMPARE(d.questions.back(), QStringLiteral("Discard Changes Made??"));
    QVERIFY(w.Dirty);

    int ended = 0;
    w.EndProgram = [&] { ++ended; };
    d.confirmAnswers = {false};
    w.Exit();  // dirty: asked, and Cancel keeps the program
    QCOMPARE(d.questions.back(), QStringLiteral("Exit Program Without Saving Changes??"));
    QCOMPARE(ended, 0);

    d.savePath = dir.filePath("saved.vlf");
    w.Save();
    QVERIFY(!w.Dirty);
    const int asked = d.questions.size();
    w.Exit();  // saved: no question
    QCOMPARE(d.questions.size(), asked);
    QCOMPARE(ended, 1);
    QVERIFY(QFile::exists(d.savePath));
  }

  void refusedSaveOffersAnotherFile() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("save.INI"));
    w.RunEditorDialog = [](TForm3&) { return true; };
    w.Edit();
    QVERIFY(w.Dirty);
    // A folder stands where the file should go: the save is refused.
    const QString blocked = dir.filePath("blocked.vlf");
    QVERIFY(QDir().mkpath(blocked));
    const QString elsewhere = dir.filePath("elsewhere.vlf");
    d.saveAnswers = {blocked, elsewhere};
    d.confirmAnswers = {true};
    w.Save();
    QCOMPARE(d.questions.size(), 1);
    QVERIFY(d.questions[0].startsWith("The brain was not saved."));
    QVERIFY(d.questions[0].contains(blocked));
    QCOMPARE(d.saveDialogs, 2);
    QVERIFY(QFileInfo(elsewhere).isFile());
    QVERIFY(!w.Dirty);
    QVERIFY(w.RzToolbar1->isEnabled() && w.RzButton1->isEnabled());

    // Declining keeps the brain unsaved, and asks nothing more.
    w.Edit();
    d.saveAnswers = {dir.filePath("no/such/folder/x.vlf")};
    d.confirmAnswers = {false};
    w.Save();
    QCOMPARE(d.questions.size(), 2);
    QCOMPARE(d.saveDialogs, 3);
    QVERIFY(w.Dirty);
    QCOMPARE(w.windowTitle(), QStringLiteral("Corvane, LLC  Varnex Evaluation Program"));
  }

  void editorClosesOnlyThroughItsButtons() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("editor.INI"));
    w.OpenPath(Brain("hello.vlf", kHello));
    QString captionWhileEditing;
    bool closedByEscape = true, closedByCloseBox = true, closedByAbort = false;
    w.RunEditorDialog = [&](TForm3& e) {
      captionWhileEditing = w.windowTitle();
      e.show();
      QTest::keyClicks(e.Memo1, "x");
      QTest::keyClick(e.Memo1, Qt::Key_Escape);
      closedByEscape = !e.isVisible();
      e.show();
      e.close();
      closedByCloseBox = !e.isVisible();
      e.show();
      QTest::mouseClick(e.BitBtn2, Qt::LeftButton);
      closedByAbort = !e.isVisible();
      return e.result() == QDialog::Accepted;
    };
    w.Edit();
    QVERIFY2(!closedByEscape, "Escape dropped the edits");
    QVERIFY2(!closedByCloseBox, "the close box dropped the edits");
    QVERIFY(closedByAbort);
    // Writing the text for the editor leaves no progress in the caption.
    QCOMPARE(captionWhileEditing, QStringLiteral("Corvane, LLC  Varnex Evaluation Program"));
    QVERIFY(!w.Dirty);
  }

  void traceAttachAndDetach() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("c.INI"));
    w.OpenPath(Brain("hello.vlf", kHello));
    w.Trace();
    Type(w, "hi");
    QVERIFY(w.traceWindow()->Memo1->toPlainText().startsWith("[Input]: hi"));
    QTest::mouseClick(w.traceWindow()->BitBtn1, Qt::LeftButton);
    QVERIFY(!w.traceWindow()->isVisible());
    Type(w, "hi");
    QVERIFY(w.traceWindow()->Memo1->toPlainText().isEmpty());
    QVERIFY(!w.brain().Tracing());
  }

  void functionKeysAndIniFile() {
    ScriptedDialogs d;
    const QString ini = dir.filePath("keys.INI");
    {
      TForm1 w(d, nullptr, ini);
      w.RunFunctionKeyDialog = [](TForm4& k) {
        k.Edit[0]->setText("goodbye");
        return true;
      };
      w.FKeysCommand();
      w.RunFunctionKeyDialog = [](TForm4& k) {
        k.Edit[2]->setText("changed");
        return false;  // Cancel keeps every key
      };
      w.FKeysCommand();
      QVERIFY(w.FKeys.text[2].empty());
      w.Edit1->setText("hello world");
      w.Edit1->selectAll();
      QTest::keyClick(w.Edit1, Qt::Key_F1);
      QCOMPARE(w.Edit1->text(), QStringLiteral("goodbye"));
      w.Edit1->setText("ab");
      w.Edit1->setCursorPosition(1);
      QTest::keyClick(w.Edit1, Qt::Key_F1);
      QCOMPARE(w.Edit1->text(), QStringLiteral("agoodbyeb"));
      QVERIFY(!QFile::exists(ini));  // written only when the program ends
    }
    QSettings s(ini, QSettings::IniFormat);
    s.beginGroup("FuncKeys");
    QCOMPARE(s.childKeys().size(), 12);
    QCOMPARE(s.value("Key1").toString(), QStringLiteral("goodbye"));
    QCOMPARE(s.value("Key12").toString(), QString());
  }

  void handWrittenKeyFileIsReadAndRewrittenByteForByte() {
    const QString ini = dir.filePath("hand.INI");
    const QByteArray original =
        "; my macros\r\n[Window]\r\nLeft=10\r\n\r\n[FuncKeys]\r\n; keep this note\r\n"
        "Key2=the roots, please\r\nKey3=a;b\r\nKey4=say \"hi\" now\r\nKey5=caf\xe9\r\n"
        "key6=C:\\temp\\x\r\nKey12= spaced \r\nKey2=second Key2 is not read\r\nOther=1\r\n"
        "\r\n[Later]\r\nKey1=not a macro\r\n";
    {
      QFile f(ini);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(original);
    }
    ScriptedDialogs d;
    {
      TForm1 w(d, nullptr, ini);
      QCOMPARE(w.FKeys.Shown(0), QString());
      QCOMPARE(w.FKeys.Shown(1), QStringLiteral("the roots, please"));
      QCOMPARE(w.FKeys.Shown(2), QStringLiteral("a;b"));
      QCOMPARE(w.FKeys.Shown(3), QStringLiteral("say \"hi\" now"));
      QCOMPARE(w.FKeys.Shown(4), QStringLiteral("caf\u00e9"));  // Latin-1 in the file
      QCOMPARE(w.FKeys.Shown(5), QStringLiteral("C:\\temp\\x"));
      QCOMPARE(w.FKeys.Shown(11), QStringLiteral(" spaced "));
      QTest::keyClick(w.Edit1, Qt::Key_F5);
      QCOMPARE(w.Edit1->text(), QStringLiteral("caf\u00e9"));
      // OK in the key window without changes keeps the Latin-1 bytes.
      w.RunFunctionKeyDialog = [](TForm4& k) {
        k.Edit[6]->setText(QStringLiteral("na\u00efve"));
        return true;
      };
      w.FKeysCommand();
    }
    QFile f(ini);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("; my macros\r\n[Window]\r\nLeft=10\r\n\r\n[FuncKeys]\r\n"
                                     "Key1=\r\nKey2=the roots, please\r\nKey3=a;b\r\nKey4=say \"hi\" now\r\n"
                                     "Key5=caf\xe9\r\nKey6=C:\\temp\\x\r\nKey7=na\xc3\xafve\r\nKey8=\r\nKey9=\r\n"
                                     "Key10=\r\nKey11=\r\nKey12= spaced \r\n; keep this note\r\nOther=1\r\n"
                                     "\r\n[Later]\r\nKey1=not a macro\r\n"));
    QVERIFY(d.messages.isEmpty());
  }

  void keyFileThatCannotBeReadIsNotOverwritten() {
    // A folder where the file should be: it can be neither read nor replaced,
    // and saying so beats pretending.
    const QString ini = dir.filePath("folder.INI");
    QVERIFY(QDir().mkpath(ini));
    ScriptedDialogs d;
    { TForm1 w(d, nullptr, ini); }
    QCOMPARE(d.messages.size(), 2);
    QVERIFY(d.messages[0].startsWith("Could not read the function keys"));
    QVERIFY(QFileInfo(ini).isDir());
  }

  void knowledgeTree() {
    varnex::Brain b;
    TForm2 t;
    t.Build(b);
    QTreeWidgetItem* root = t.TreeView1->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Brain  NAME{MyBrain}"));
    QStringList top;
    for (int i = 0; i < root->childCount(); ++i) top << root->child(i)->text(0);
    QCOMPARE(top, (QStringList{"Current Mode = 0", "Current State = 0", "Current Proc = -1", "Named Objects", "States",
                               "Collections", "Facts", "Procedures", "Proc-Detail", "Modes", "Know-Modes"}));
    QCOMPARE(root->child(3)->child(0)->text(0), QStringLiteral("MyBrain"));
    QCOMPARE(root->child(4)->child(0)->text(0), QStringLiteral("Normal"));
    QCOMPARE(root->child(10)->child(0)->text(0), QStringLiteral("Default"));
    QCOMPARE(root->child(10)->child(0)->child(0)->text(0), QStringLiteral("Clauses"));
    QCOMPARE(root->child(10)->child(0)->child(0)->childCount(), 0);
    QCOMPARE(t.windowTitle(), QStringLiteral("Show Knowledge Tree"));
  }

  void treeOfAClauseAndExpandFrags() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("d.INI"));
    w.OpenPath(Brain("tree.vlf",
                     "For-Mode 0,0\nName-Object {greet}\n  Fragment AND,0,0, {hi}, {x}, {}\n"
                     "  Response {Hello},Task List,{},{}\n    Task {t},Just Text,{},{}\n"
                     "  Threshold 1,2\n  Response {R},Task List,{},{}\n    Task {u},Just Text,{},{}\n"));
    for (int i = 0; i < 3; ++i) Type(w, "hi");
    w.View();
    w.View();  // two windows
    auto trees = w.findChildren<TForm2*>();
    QCOMPARE(trees.size(), 2);
    TForm2* t = trees.back();
    QTreeWidgetItem* clause = t->TreeView1->topLevelItem(0)->child(10)->child(0)->child(0)->child(0);
    QCOMPARE(clause->text(0), QStringLiteral("1 - Hits:3  NAME{greet}"));
    QCOMPARE(clause->child(0)->child(0)->text(0), QStringLiteral("AND - hi x"));
    QCOMPARE(clause->child(1)->child(0)->child(0)->child(0)->text(0), QStringLiteral("Just Text: t"));
    QCOMPARE(clause->child(2)->child(0)->child(0)->child(0)->child(0)->child(0)->text(0), QStringLiteral("Just Text"));
    QVERIFY(!clause->isExpanded());
    QTest::mouseClick(t->btnExpandFrags, Qt::LeftButton);
    QVERIFY(clause->isExpanded() && clause->child(0)->isExpanded());
    QVERIFY(!clause->child(1)->isExpanded());
  }

  void speechThatFailsIsReportedOnce() {
    ScriptedDialogs d;
    auto speaker = std::make_unique<FailingSpeaker>();
    FailingSpeaker* s = speaker.get();
    TForm1 w(d, std::move(speaker), dir.filePath("e.INI"));
    w.OpenPath(Brain("hello.vlf", kHello));
    QTest::mouseClick(w.BtnPlaySound, Qt::LeftButton);
    QVERIFY(w.SpeechOn);
    Type(w, "hi");
    Type(w, "hi");
    QCOMPARE(s->spoken, (QStringList{"Hello!", "Hello!"}));
    QCOMPARE(PaneLines(w).back(), QStringLiteral("[Varnex]: Hello!"));  // the line is in the pane
    QCOMPARE(d.notices.size(), 1);
  }

  void withoutAudioTheSpeakerSaysSoAtOnce() {
    if (QDir("/dev/snd").exists() || qEnvironmentVariableIsSet("PULSE_SERVER"))
      QSKIP("this machine may have an audio device");
    SystemSpeaker speaker;
    QString error;
    QVERIFY2(!speaker.Speak("hello", error), "claims to have spoken without an audio device");
    QVERIFY(!error.isEmpty());
    // Known to be mute: no more waiting for a voice.
    QElapsedTimer clock;
    clock.start();
    QString again;
    QVERIFY(!speaker.Speak("hello again", again));
    QCOMPARE(again, error);
    QVERIFY(clock.elapsed() < 200);
  }

  void keysTypedWhileSpeakingAreKept() {
    ScriptedDialogs d;
    auto owned = std::make_unique<ActingSpeaker>();
    ActingSpeaker* speaker = owned.get();
    TForm1 w(d, std::move(owned), dir.filePath("typing.INI"));
    w.OpenPath(Brain("two.vlf", "For-Mode 0,0\n  Fragment AND,0,0, {two}, {}, {}\n  Response {},Task List,{},{}\n"
                                "    Task {one},Just Text,{},{}\n    Task {two},Just Text,{},{}\n"));
    w.ToggleSpeech();
    // The user types on while the first of two answers is spoken, Enter
    // included.
    speaker->whileSpeaking = [&] {
      QTest::keyClicks(w.Edit1, "two");
      QTest::keyClick(w.Edit1, Qt::Key_Return);
    };
    Type(w, "two");
    QCOMPARE(PaneLines(w), (QStringList{"[user]: two", "[Varnex]: one", "[Varnex]: two"}));
    QCoreApplication::processEvents();
    // The keys arrive after the answers, and Enter submits them then.
    QCOMPARE(PaneLines(w), (QStringList{"[user]: two", "[Varnex]: one", "[Varnex]: two", "[user]: two",
                                        "[Varnex]: one", "[Varnex]: two"}));
    QCOMPARE(speaker->spoken.size(), 4);
  }

  void longInputShowsItIsBusyAndStops() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("busy.INI"));
    d.running = [&] { return w.EngineRunning(); };
    w.OpenPath(Brain("loop.vlf", kLoop));
    w.brain().Limits().Seconds = 6;
    bool busyShown = false;
    int fileDialogsMidRun = -1, cleared = -1;
    QTimer::singleShot(1300, &w, [&] {
      busyShown = w.busyWindow()->isVisible();
      // The user goes on typing and clicks Open and Clear: nothing of it
      // reaches the brain now.
      QTest::keyClicks(w.Edit1, " more");
      QTest::mouseClick(w.BtnOpen, Qt::LeftButton);
      QTest::mouseClick(w.BtnNew, Qt::LeftButton);
      fileDialogsMidRun = d.fileDialogs;
      cleared = d.questions.size();
      QTest::mouseClick(w.busyWindow()->BtnStop, Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    Type(w, "loop");
    QVERIFY2(busyShown, "no sign of being busy after a second");
    QVERIFY2(clock.elapsed() < 4000, "Stop did not stop the input");
    QCOMPARE(fileDialogsMidRun, 0);
    QCOMPARE(cleared, 0);
    QVERIFY(!w.busyWindow()->isVisible());
    QCOMPARE(d.notices, QStringList{"Input stopped"});
    QCOMPARE(d.boxesDuringRun, 0);
    QCOMPARE(PaneLines(w), QStringList{"[user]: loop"});

    // Afterwards what the user did is done, in order.
    d.confirmAnswers = {false};
    QCoreApplication::processEvents();
    QCOMPARE(w.Edit1->text(), QStringLiteral("loop more"));
    QCOMPARE(d.fileDialogs, 1);
    QCOMPARE(d.questions, QStringList{"Clear Varnex Brain??"});

    // An input that runs past its time is stopped the same way.
    w.brain().Limits().Seconds = 1.5;
    Type(w, "loop");
    QCOMPARE(d.notices.back(), QStringLiteral("Input stopped: it ran longer than 1.5 seconds"));
    QCOMPARE(d.boxesDuringRun, 0);
  }

  void errorsOfAnInputAreListedOnceAfterIt() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("errors.INI"));
    d.running = [&] { return w.EngineRunning(); };
    QByteArray brain = "For-Mode 0,0\n  Fragment AND,0,0, {div}, {}, {}\n  Response {done},Task List,{},{}\n";
    for (int i = 0; i < 12; ++i) brain += "    Task {^Div{1|0}},Just Text,{},{}\n";
    w.OpenPath(Brain("div.vlf", brain));
    Type(w, "div");
    // The input went on to its answer.
    QCOMPARE(PaneLines(w).back(), QStringLiteral("[Varnex]: done"));
    QCOMPARE(d.boxesDuringRun, 0);
    QCOMPARE(d.messages.size(), 1);
    const QStringList listed = d.messages[0].split('\n');
    QCOMPARE(listed.size(), 11);
    QCOMPARE(listed.back(), QStringLiteral("More errors in this input are not shown"));
    QVERIFY(listed[0].contains("zero", Qt::CaseInsensitive));
    Type(w, "div");  // each input has its own list
    QCOMPARE(d.messages.size(), 2);
  }

  void consentIsAskedOncePerBrain() {
    ScriptedDialogs d;
    TForm1 w(d, nullptr, dir.filePath("f.INI"));
    w.OpenPath(Brain("action.vlf", "For-Mode 0,0\n  Response {ran},Action,{no-such-program-x},{}\n"));
    d.confirmAnswers = {false};
    Type(w, "a");
    Type(w, "b");
    QCOMPARE(d.questions.size(), 1);
    QVERIFY(d.questions[0].contains("no-such-program-x"));
    w.OpenPath(Brain("action.vlf", "For-Mode 0,0\n  Response {ran},Action,{no-such-program-x},{}\n"));
    Type(w, "c");
    QCOMPARE(d.questions.size(), 2);  // a new brain asks again
  }
};

QTEST_MAIN(UiTest)
#include "ui_test.moc"
