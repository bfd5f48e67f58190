// The twelve function-key macros and their INI file.
//
// The file is a plain INI file that people also write by hand: a section
// [FuncKeys] with lines Key1= to Key12= followed by the macro. A value is
// everything after the "=" up to the line end, byte for byte: commas,
// semicolons, quotes, backslashes and bytes that are not UTF-8 are all part
// of the macro. Rewriting the file keeps its other sections and any line it
// does not know where they stand.
#pragma once

#include <QString>
#include <array>
#include <string>

namespace varnex {

struct FunctionKeys {
  // The macros of F1 .. F12 as engine texts (bytes).
  std::array<std::string, 12> text;

  // A macro as the windows show it.
  QString Shown(std::size_t key) const;
  // Sets a macro from a window's text; a text shown unchanged keeps its
  // bytes (a Latin-1 macro stays Latin-1).
  void SetShown(std::size_t key, const QString& shown);

  // The INI file: the program's path with its extension replaced by ".INI".
  // When the program's folder cannot be written (an installed program), the
  // same file name in the user's configuration folder is used instead.
  static QString IniPathFor(const QString& programPath);

  // Reads the twelve macros; a missing file or key gives empty macros. The
  // error when an existing file cannot be read, or empty.
  QString Load(const QString& iniPath);
  // Writes all twelve keys in order, empty ones included, replacing the
  // file only once it is written in full. The error, or empty.
  QString Save(const QString& iniPath) const;

 private:
  // Each value as it stood in the file. A macro is used only up to
  // kMaxMacro bytes, but one left unchanged is written back whole.
  std::array<std::string, 12> stored_;
};

}  // namespace varnex
