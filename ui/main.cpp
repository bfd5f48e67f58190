// varnex-desktop [--words DIR] [BRAIN]: the desktop program; --words opens
// that word database first. With --tour DIR it opens the
// brain, converses, opens each window and saves a picture of each into DIR,
// then ends (for people who want to see the windows without a desktop).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <exception>

#include "engine/varnex.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/text_codec.h"
#include "ui/editor_window.h"
#include "ui/fkeys_window.h"
#include "ui/main_window.h"
#include "ui/trace_window.h"
#include "ui/tree_window.h"

namespace {

void Say(varnex::TForm1& w, const QString& text) {
  w.Edit1->setText(text);
  w.Submit();
  QCoreApplication::processEvents();
}

bool Grab(QWidget* widget, const QString& path) {
  QCoreApplication::processEvents();
  return widget->grab().save(path);
}

int Tour(varnex::TForm1& w, const QString& dir) {
  QDir().mkpath(dir);
  bool ok = true;
  for (const char* line : {"hello", "my name is Ann", "tell me about roses", "what do you grow?"})
    Say(w, QString::fromLatin1(line));
  ok &= Grab(&w, dir + "/main-window.png");
  w.View();
  auto trees = w.findChildren<varnex::TForm2*>();
  if (!trees.isEmpty()) {
    trees.back()->ExpandFrags();
    ok &= Grab(trees.back(), dir + "/knowledge-tree.png");
    trees.back()->close();
  }
  w.Trace();
  Say(w, QStringLiteral("quiz"));
  ok &= Grab(w.traceWindow(), dir + "/trace.png");
  w.RunEditorDialog = [&](varnex::TForm3& editor) {
    editor.show();
    ok &= Grab(&editor, dir + "/editor.png");
    return false;
  };
  w.Edit();
  w.RunFunctionKeyDialog = [&](varnex::TForm4& keys) {
    keys.Edit[0]->setText(QStringLiteral("hello Moss"));
    keys.show();
    ok &= Grab(&keys, dir + "/function-keys.png");
    return false;
  };
  w.FKeysCommand();
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  varnex::SetUpApplication();

  QStringList args = QApplication::arguments().mid(1);
  QString tourDir, words;
  while (args.size() >= 2 && args[0].startsWith(QLatin1String("--"))) {
    if (args[0] == QLatin1String("--tour")) tourDir = args[1];
    else if (args[0] == QLatin1String("--words")) words = args[1];
    else break;
    args = args.mid(2);
  }
  // The word database opens once, with the first folder it is given.
  if (!words.isEmpty()) varnex::OpenWordDatabase(varnex::FromDisplay(words));
  varnex::QtDialogs dialogs;
  varnex::TForm1 window(dialogs, std::make_unique<varnex::SystemSpeaker>(),
                        varnex::FunctionKeys::IniPathFor(QCoreApplication::applicationFilePath()));
  window.show();
  if (!args.isEmpty()) window.OpenPath(args[0]);
  if (!tourDir.isEmpty()) return Tour(window, tourDir);
  try {
    return app.exec();
  } catch (const std::exception& e) {
    dialogs.Message(&window, QString::fromUtf8(e.what()));
    return 1;
  }
}
