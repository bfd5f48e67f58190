// The twelve function-key macros and their INI file.
#pragma once

#include <QString>
#include <array>

namespace varnex {

struct FunctionKeys {
  std::array<QString, 12> text;  // F1 .. F12

  // The INI file: the program's path with its extension replaced by ".INI".
  // When the program's folder cannot be written (an installed program), the
  // same file name in the user's configuration folder is used instead.
  static QString IniPathFor(const QString& programPath);

  void Load(const QString& iniPath);
  // Writes all twelve keys, empty ones included; the error, or empty.
  QString Save(const QString& iniPath) const;
};

}  // namespace varnex
