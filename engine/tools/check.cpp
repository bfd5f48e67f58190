// varnex check: each brain is read into a brain of its own, as `chat` reads
// it, while the reader's hooks note every message and every statement with
// the record it made. The checks then look at the records and lines; what
// they find is dropped where a comment asks for it, and sorted.
//
// A comment line directly above a statement switches checks off for that
// statement; one anywhere in a file switches them off for the whole file:
//   # varnex-check: off unset-fact, unknown-tag
//   # varnex-check: file-off undefined-object
// With no check named (or "all"), every check is off.
#include "engine/tools/check.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

#include "engine/base/text_search.h"
#include "engine/language/reader.h"
#include "engine/tools/check_context.h"
#include "platform/text_file.h"

namespace varnex {
namespace {

using check::Statement;

// The statements that make a record, which the reader then holds as current.
bool MakesRecord(Keyword k) {
  switch (k) {
    case Keyword::StartCollection:
    case Keyword::Mode:
    case Keyword::Procedure:
    case Keyword::Step:
    case Keyword::ForMode:
    case Keyword::ForStep:
    case Keyword::Threshold:
    case Keyword::ForState:
    case Keyword::Fragment:
    case Keyword::Response:
    case Keyword::Task: return true;
    default: return false;
  }
}

Keyword KeywordOf(const std::string& line) { return ClassifyLine(UpperCase(TrimView(line))); }

// Reads one brain and checks it; `files` gets the files read, in order.
void CheckBrain(const std::string& path, std::vector<Finding>& findings, std::vector<std::string>& files) {
  BrainClass brain;
  const void* initialMode = brain.Knowledge.empty() ? nullptr : brain.Knowledge.front().get();
  std::vector<Statement> statements;
  std::unordered_set<const ObjectClass*> seen;
  // A statement's error comes as two messages, "... In Line N" and then
  // the line itself, which the finding's place already shows.
  bool echoNext = false;
  brain.ReaderMessageAt = [&](const std::string& file, int line, const std::string& text) {
    if (echoNext) {
      echoNext = false;
      return;
    }
    std::string message = text;
    const std::string suffix = " In Line " + std::to_string(line);
    if (line > 0 && message.size() > suffix.size() && message.ends_with(suffix)) {
      message.resize(message.size() - suffix.size());
      echoNext = true;
    }
    findings.push_back({file, line, Finding::Severity::Error, message, "reader"});
  };
  brain.StatementRead = [&](const std::string& file, int line, const std::string& text, ObjectClass* current) {
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    Statement st;
    st.at = {file, line};
    st.text = text;
    st.keyword = KeywordOf(text);
    st.record = current;
    if (current && MakesRecord(st.keyword) && seen.insert(current).second) {
      st.fresh = true;
      // Records replaced later in the read are gone once it ends: what the
      // duplicate check needs of them is taken now.
      if (current->Kind == ObjectKind::Pattern) st.owner = static_cast<PatternClass*>(current)->Owner;
      if (current->Kind == ObjectKind::Step) st.owner = static_cast<StepClass*>(current)->Owner;
    }
    statements.push_back(std::move(st));
  };
  if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
  try {
    LoadLanguageFile(brain, path);
    brain.ReaderMessageAt = nullptr;
    brain.StatementRead = nullptr;
    if (statements.empty()) return;
    check::Context ctx(brain, std::move(statements), findings);
    ctx.initialMode = initialMode;
    check::CheckStatements(ctx);
    check::CheckTexts(ctx);
    check::CheckNames(ctx);
    check::CheckClauses(ctx);
  } catch (const std::exception& e) {
    findings.push_back({path, 0, Finding::Severity::Error, std::string("checking stopped: ") + e.what(), "reader"});
  }
}

// The checks that comments switch off in one file.
class Suppressions {
 public:
  explicit Suppressions(const std::string& file) {
    if (file.empty() || !ReadAllLines(file, lines_)) lines_.clear();
    for (const auto& line : lines_) Parse(line, "file-off", fileOff_);
  }
  bool Off(const Finding& f) const {
    if (Names(fileOff_, f.check)) return true;
    std::set<std::string> off;
    // The comment lines directly above the line.
    for (int i = f.line - 2; i >= 0 && i < static_cast<int>(lines_.size()); --i) {
      if (!TrimView(lines_[static_cast<std::size_t>(i)]).starts_with("#")) break;
      Parse(lines_[static_cast<std::size_t>(i)], "off", off);
    }
    return Names(off, f.check);
  }

 private:
  static bool Names(const std::set<std::string>& off, const std::string& check) {
    return off.count("ALL") > 0 || off.count(UpperCase(check)) > 0;
  }
  // "# varnex-check: off a, b": adds A and B (or ALL) for the directive.
  static void Parse(std::string_view line, std::string_view directive, std::set<std::string>& off) {
    std::string_view s = TrimView(line);
    if (!s.starts_with("#")) return;
    s = TrimView(s.substr(1));
    constexpr std::string_view kTag = "varnex-check:";
    if (s.size() < kTag.size() || !EqualsNoCase(s.substr(0, kTag.size()), kTag)) return;
    s = TrimView(s.substr(kTag.size()));
    const std::size_t end = std::min(s.find_first_of(" \t,"), s.size());
    if (!EqualsNoCase(s.substr(0, end), directive)) return;
    s = s.substr(end);
    bool any = false;
    while (!s.empty()) {
      const std::size_t start = s.find_first_not_of(" \t,");
      if (start == std::string_view::npos) break;
      s = s.substr(start);
      const std::size_t stop = std::min(s.find_first_of(" \t,"), s.size());
      off.insert(UpperCase(s.substr(0, stop)));
      any = true;
      s = s.substr(stop);
    }
    if (!any) off.insert("ALL");
  }

  std::vector<std::string> lines_;
  std::set<std::string> fileOff_;
};

}  // namespace

std::vector<Finding> CheckBrainFiles(const std::vector<std::string>& paths) {
  std::vector<Finding> findings;
  std::vector<std::string> files;  // in the order they were first read
  for (const auto& path : paths) CheckBrain(path, findings, files);

  std::map<std::string, Suppressions> suppressions;
  std::erase_if(findings, [&](const Finding& f) {
    auto it = suppressions.find(f.file);
    if (it == suppressions.end()) it = suppressions.emplace(f.file, Suppressions(f.file)).first;
    return it->second.Off(f);
  });

  auto rank = [&](const std::string& file) {
    return std::find(files.begin(), files.end(), file) - files.begin();
  };
  std::stable_sort(findings.begin(), findings.end(), [&](const Finding& a, const Finding& b) {
    const auto ra = rank(a.file), rb = rank(b.file);
    if (ra != rb) return ra < rb;
    if (a.file != b.file) return a.file < b.file;
    return a.line < b.line;
  });
  // A file that two brains include gives its findings twice.
  auto same = [](const Finding& a, const Finding& b) {
    return a.file == b.file && a.line == b.line && a.severity == b.severity && a.message == b.message && a.check == b.check;
  };
  std::vector<Finding> unique;
  for (auto& f : findings) {
    bool repeated = false;
    for (auto it = unique.rbegin(); it != unique.rend() && it->file == f.file && it->line == f.line; ++it)
      repeated = repeated || same(*it, f);
    if (!repeated) unique.push_back(std::move(f));
  }
  return unique;
}

}  // namespace varnex
