#include "ui/function_keys.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace varnex {
namespace {
// A macro keeps at most this many characters after a restart.
constexpr int kMaxMacro = 2047;
}  // namespace

QString FunctionKeys::IniPathFor(const QString& programPath) {
  QFileInfo program(programPath);
  QString name = program.fileName();
  int dot = name.lastIndexOf('.');
  name = (dot >= 0 ? name.left(dot) : name) + QStringLiteral(".INI");
  QFileInfo folder(program.absolutePath());
  if (folder.isDir() && folder.isWritable()) return program.absolutePath() + '/' + name;
  QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return config + '/' + name;
}

void FunctionKeys::Load(const QString& iniPath) {
  QSettings ini(iniPath, QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("FuncKeys"));
  for (int n = 1; n <= 12; ++n)
    text[n - 1] = ini.value(QStringLiteral("Key%1").arg(n), QString()).toString().left(kMaxMacro);
}

QString FunctionKeys::Save(const QString& iniPath) const {
  QSettings ini(iniPath, QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("FuncKeys"));
  for (int n = 1; n <= 12; ++n) ini.setValue(QStringLiteral("Key%1").arg(n), text[n - 1]);
  ini.endGroup();
  ini.sync();
  if (ini.status() != QSettings::NoError) return QStringLiteral("Could not write the function keys to ") + iniPath;
  return {};
}

}  // namespace varnex
