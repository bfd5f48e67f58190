// varnex-desktop [--words DIR] [BRAIN]: the desktop program; --words opens
// that word database first. With --tour DIR it opens the
// brain, converses, opens each window and saves a picture of each into DIR,
// then ends (for people who want to see the windows without a desktop).
// --help and --version print and end before any window system is needed.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <exception>
#include <string>

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

const char* const kUsage = "usage: varnex-desktop [--words DIR] [--tour DIR] [BRAIN]\n"
                           "       varnex-desktop --help | --version\n";

int Refuse(const std::string& argument, const std::string& what) {
  std::fprintf(stderr, "varnex-desktop: %s: %s\n%s", argument.c_str(), what.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::fputs("varnex-desktop " VARNEX_VERSION "\n", stdout);
      return 0;
    }
  }
  // Qt takes its own options (-platform, -style...) out of argv here.
  QApplication app(argc, argv);
  varnex::SetUpApplication();

  QString tourDir, words, brain;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--tour" || a == "--words") {
      if (i + 1 >= argc) return Refuse(a, "needs a folder");
      (a == "--tour" ? tourDir : words) = QString::fromLocal8Bit(argv[++i]);
    } else if (a.size() > 1 && a[0] == '-') {
      return Refuse(a, "not an option of varnex-desktop");
    } else if (!brain.isEmpty()) {
      return Refuse(a, "one brain file at a time");
    } else {
      brain = QString::fromLocal8Bit(argv[i]);
    }
  }
  // The word database opens once, with the first folder it is given.
  if (!words.isEmpty()) varnex::OpenWordDatabase(varnex::FromDisplay(words));
  varnex::QtDialogs dialogs;
  varnex::TForm1 window(dialogs, std::make_unique<varnex::SystemSpeaker>(),
                        varnex::FunctionKeys::IniPathFor(QCoreApplication::applicationFilePath()));
  window.show();
  if (!brain.isEmpty()) window.OpenPath(brain);
  if (!tourDir.isEmpty()) return Tour(window, tourDir);
  try {
    return app.exec();
  } catch (const std::exception& e) {
    dialogs.Message(&window, QString::fromUtf8(e.what()));
    return 1;
  }
}
