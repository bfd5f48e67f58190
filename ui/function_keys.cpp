// The function-key INI file: a plain file of KeyN=text lines read and
// written byte for byte; other sections and lines of an existing file are
// kept, and the file is replaced atomically.
#include "ui/function_keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <optional>
#include <string_view>
#include <vector>

#include "ui/text_codec.h"

namespace varnex {
namespace {

// A macro keeps at most this many bytes (the platform's profile buffer of
// 2048 characters, less its terminator).
constexpr std::size_t kMaxMacro = 2047;
// A file larger than this is no function-key file.
constexpr qint64 kMaxFileBytes = 16 << 20;
constexpr std::string_view kSection = "FuncKeys";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key number 1 to 12 of a "KeyN=" line, or 0.
int KeyNumber(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return 0;
  const std::string_view name = Trim(line.substr(0, eq));
  if (name.size() < 4 || name.size() > 5 || !EqualsNoCase(name.substr(0, 3), "Key")) return 0;
  int n = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  // "Key01" is not "Key1".
  return name[3] != '0' && n <= 12 ? n : 0;
}

std::string_view ValueOf(std::string_view line) { return line.substr(line.find('=') + 1); }

// A file as lines without their line ends, and how it ends its lines.
struct IniText {
  bool bom = false;
  bool crlf = true;  // the line end of a new file, as in the program's other text files
  std::vector<std::string> lines;
};

IniText Parse(const QByteArray& bytes) {
  IniText ini;
  std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (text.starts_with(kBom)) {
    ini.bom = true;
    text.remove_prefix(kBom.size());
  }
  ini.crlf = text.empty() || text.find("\r\n") != std::string_view::npos;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    ini.lines.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return ini;
}

// Reads the file if there is one. False with the error when it exists but
// cannot be read.
bool ReadIni(const QString& path, IniText& ini, QString& error) {
  QFile file(path);
  if (!file.exists()) return true;
  if (file.size() > kMaxFileBytes) {
    error = QStringLiteral("Could not read the function keys from %1: the file is too large").arg(path);
    return false;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("Could not read the function keys from %1: %2").arg(path, file.errorString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = QStringLiteral("Could not read the function keys from %1: %2").arg(path, file.errorString());
    return false;
  }
  ini = Parse(bytes);
  return true;
}

// Cuts a macro to kMaxMacro bytes, not inside a UTF-8 character.
std::string Cut(const std::string& value) {
  if (value.size() <= kMaxMacro) return value;
  std::size_t end = kMaxMacro;
  // Back up over continuation bytes only when the text is UTF-8 at all.
  if (FromDisplay(ToDisplay(value)) == value)
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
  return value.substr(0, end);
}

}  // namespace

QString FunctionKeys::Shown(std::size_t key) const { return ToDisplay(text[key]); }

void FunctionKeys::SetShown(std::size_t key, const QString& shown) {
  if (shown != ToDisplay(text[key])) text[key] = FromDisplay(shown);
}

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

QString FunctionKeys::Load(const QString& iniPath) {
  text = {};
  stored_ = {};
  IniText ini;
  QString error;
  if (!ReadIni(iniPath, ini, error)) return error;
  // The first [FuncKeys] section counts, and in it the first line of a key.
  bool inSection = false, seenSection = false;
  std::array<bool, 12> found{};
  for (const std::string& line : ini.lines) {
    if (auto name = SectionName(line)) {
      if (seenSection && inSection) break;
      inSection = EqualsNoCase(*name, kSection);
      seenSection = seenSection || inSection;
      continue;
    }
    if (!inSection) continue;
    const int n = KeyNumber(line);
    if (n == 0 || found[n - 1]) continue;
    found[n - 1] = true;
    stored_[n - 1] = std::string(ValueOf(line));
    text[n - 1] = Cut(stored_[n - 1]);
  }
  return {};
}

QString FunctionKeys::Save(const QString& iniPath) const {
  // The file is read again so that what was written to it meanwhile (by
  // hand, in its other sections) is kept.
  IniText ini;
  QString error;
  if (!ReadIni(iniPath, ini, error)) return error;

  std::vector<std::string> keys;
  for (std::size_t i = 0; i < 12; ++i) {
    // A macro left as it was read is written back whole.
    std::string value = text[i] == Cut(stored_[i]) ? stored_[i] : text[i];
    // A line end cannot be part of a value.
    for (char& c : value)
      if (c == '\r' || c == '\n') c = ' ';
    std::string line = "Key";
    line.append(std::to_string(i + 1)).append("=").append(value);
    keys.push_back(std::move(line));
  }

  // The keys go right after the first [FuncKeys] header, in order; the old
  // key lines go, the section's other lines stay.
  std::vector<std::string> out;
  bool inSection = false, placed = false;
  for (const std::string& line : ini.lines) {
    if (auto name = SectionName(line)) {
      inSection = !placed && EqualsNoCase(*name, kSection);
      out.push_back(line);
      if (inSection) {
        out.insert(out.end(), keys.begin(), keys.end());
        placed = true;
      }
      continue;
    }
    if (inSection && KeyNumber(line) != 0) continue;
    out.push_back(line);
  }
  if (!placed) {
    if (!out.empty() && !Trim(out.back()).empty()) out.emplace_back();
    out.push_back(std::string("[").append(kSection).append("]"));
    out.insert(out.end(), keys.begin(), keys.end());
  }

  QByteArray bytes;
  if (ini.bom) bytes.append(kBom.data(), static_cast<qsizetype>(kBom.size()));
  const char* eol = ini.crlf ? "\r\n" : "\n";
  for (const std::string& line : out) {
    bytes.append(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append(eol);
  }
  QSaveFile file(iniPath);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return QStringLiteral("Could not write the function keys to %1: %2").arg(iniPath, file.errorString());
  return {};
}

}  // namespace varnex
