// Checks of statement lines as written: lines meant as comments, braces
// that do not balance, names defined twice, files that INCLUDE names but
// that are not there.
#include <map>
#include <optional>

#include "engine/base/text_search.h"
#include "engine/language/fields.h"
#include "engine/records/type_names.h"
#include "engine/tools/check_context.h"
#include "platform/text_file.h"

namespace varnex::check {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The statements whose first field is a name (or a path).
bool TakesName(Keyword k) {
  switch (k) {
    case Keyword::Fact:
    case Keyword::StartCollection:
    case Keyword::Mode:
    case Keyword::State:
    case Keyword::Procedure:
    case Keyword::Step:
    case Keyword::ForState:
    case Keyword::NameObject:
    case Keyword::Include: return true;
    default: return false;
  }
}

// The statements that read brace fields; the others ignore braces.
bool ReadsBraces(Keyword k) {
  return TakesName(k) || k == Keyword::Fragment || k == Keyword::Response || k == Keyword::Task;
}

// Where the operands of a statement begin in its line.
std::size_t OperandsAt(const Statement& st) {
  const std::string_view line = st.text;
  const std::size_t start = line.size() - TrimLeftView(line).size() + KeywordText(st.keyword).size();
  return std::min(start, line.size());
}

std::string FirstName(const Statement& st) {
  std::string_view ops = std::string_view(st.text).substr(OperandsAt(st));
  return TakeBraceField(ops);
}

// The type names of FRAGMENT, RESPONSE and TASK lines: a name the tables
// lack is read as None without a word from the reader.
void CheckTypeName(Context& ctx, const Statement& st) {
  std::string_view ops = std::string_view(st.text).substr(OperandsAt(st));
  if (st.keyword != Keyword::Fragment) TakeBraceField(ops);
  const std::string name = Trim(TakePlainField(ops));
  if (EqualsNoCase(name, "None")) return;
  if (st.keyword == Keyword::Fragment) {
    if (PatternTypeFromName(name) == PatternType::None)
      ctx.Report(st.at, false,
                 Cat({"\"", name, "\" is not a fragment type, so the fragment is None and scores nothing"}),
                 "unknown-type");
    return;
  }
  const ResponseType type = ResponseTypeFromName(name);
  const bool task = st.keyword == Keyword::Task;
  if (type == ResponseType::None) {
    ctx.Report(st.at, false,
               Cat({name.empty() ? "no response type" : Cat({"\"", name, "\" is not a response type"}),
                    task ? ", so the task does nothing" : ", so the response is None and answers with an empty text"}),
               "unknown-type");
  } else if (!task &&
             (type == ResponseType::SetLabel || type == ResponseType::Goto || type == ResponseType::BranchIf)) {
    ctx.Report(st.at, false,
               Cat({ResponseTypeName(type), " belongs to tasks: as a response it answers \"UNKNOWN RESPONSE TYPE!\""}),
               "unknown-type");
  }
}

std::string Column(std::size_t index) { return Cat({"column ", std::to_string(index + 1)}); }

// The tag word, such as "^Fact{", whose brace is at `brace`; empty when the
// brace does not follow a tag word.
std::string_view TagBefore(std::string_view line, std::size_t brace) {
  std::size_t i = brace;
  while (i > 0 && IsLetter(line[i - 1])) --i;
  if (i == brace || i == 0 || line[i - 1] != '^') return {};
  return line.substr(i - 1, brace - i + 2);
}

void CheckCommentLike(Context& ctx, const Statement& st) {
  const std::string_view trimmed = TrimView(st.text);
  const std::string_view keyword = KeywordText(st.keyword);
  if (trimmed.size() > keyword.size() && IsLetter(trimmed[keyword.size()])) {
    std::string_view word = trimmed.substr(0, trimmed.find(' '));
    if (word.size() > 30) word = word.substr(0, 30);
    ctx.Report(st.at, false,
               Cat({"\"", word, "\" begins with the keyword ", keyword,
                    ", so this line is read as that statement; a comment must not begin with a keyword"}),
               "comment-like-statement");
    return;
  }
  if (!TakesName(st.keyword)) return;
  const std::string_view ops = std::string_view(st.text).substr(OperandsAt(st));
  if (ops.find('{') == std::string_view::npos) {
    ctx.Report(st.at, false,
               std::string(keyword) +
                   " statement without a name: no \"{\" follows the keyword; if this line is a comment, begin it "
                   "with another character",
               "comment-like-statement");
  } else if (FirstName(st).empty()) {
    ctx.Report(st.at, false, std::string(keyword) + " statement with an empty name", "comment-like-statement");
  }
}

// Whether the braces of the line balance; says why when they do not.
bool CheckBraces(Context& ctx, const Statement& st) {
  if (!ReadsBraces(st.keyword)) return true;
  const std::string_view line = st.text;
  std::vector<std::size_t> open;
  for (std::size_t i = OperandsAt(st); i < line.size(); ++i) {
    if (line[i] == '{') {
      open.push_back(i);
    } else if (line[i] == '}') {
      if (open.empty()) {
        ctx.Report(st.at, true,
                   "\"}\" at " + Column(i) + " closes nothing: the field before it ends early and the rest of "
                   "the line is misread",
                   "unbalanced-brace");
        return false;
      }
      open.pop_back();
    }
  }
  if (open.empty()) return true;
  // The outermost brace left open took the rest of the line. A tag inside
  // it that lost its "}" is the usual cause.
  const std::size_t field = open.front();
  std::string_view tag = TagBefore(line, field);
  std::size_t tagAt = field;
  for (std::size_t i = field + 1; tag.empty() && i < line.size(); ++i) {
    if (line[i] == '{') {
      tag = TagBefore(line, i);
      tagAt = i;
    }
  }
  if (tag.empty()) {
    ctx.Report(st.at, true,
               "\"{\" at " + Column(field) + " is never closed: the rest of the line is read into that field",
               "unbalanced-brace");
  } else if (tagAt == field) {
    ctx.Report(st.at, true, std::string(tag) + " at " + Column(field - tag.size() + 1) + " is never closed",
               "unclosed-tag");
  } else {
    ctx.Report(st.at, true,
               Cat({"the field opened at ", Column(field), " is never closed; is the \"}\" of ", tag, " at ",
                    Column(tagAt - tag.size() + 1), " missing?"}),
               "unclosed-tag");
  }
  return false;
}

// A place relative to another: "line 12", or "other.vlf:12" in another file.
std::string Place(const Location& at, const Location& here) {
  return (at.file == here.file ? "line " : at.file + ":") + std::to_string(at.line);
}

// The names of one registry in the order they were read, each with the
// place it was last (or, for named objects, first) defined.
struct Seen {
  std::map<std::string, Location> at;
  bool keepFirst = false;
  std::optional<Location> Add(const std::string& name, const Location& here) {
    auto [it, added] = at.emplace(UpperCase(name), here);
    if (added) return std::nullopt;
    const Location was = it->second;
    if (!keepFirst) it->second = here;
    return was;
  }
};

void CheckDuplicates(Context& ctx) {
  // A MODE line with a name already used replaces that mode, and with it
  // every clause read into it, the default mode's included.
  std::map<std::string, std::pair<const void*, Location>> modes;
  modes["DEFAULT"] = {ctx.initialMode, Location{}};
  std::map<const void*, int> clausesSoFar;  // by mode, the clauses read into it so far
  Seen procs, collections, objects, facts;
  objects.keepFirst = true;  // lookups find the record named first
  std::map<std::pair<const void*, std::string>, Location> steps;
  objects.Add(ctx.brain.MyName, Location{});
  for (const Statement& st : ctx.statements) {
    switch (st.keyword) {
      case Keyword::ForMode:
        if (st.fresh) ++clausesSoFar[st.owner];
        break;
      case Keyword::Mode: {
        if (!st.fresh) break;
        const std::string name = FirstName(st);
        auto [it, added] = modes.emplace(UpperCase(name), std::make_pair(st.record, st.at));
        if (added) break;
        const int replaced = clausesSoFar[it->second.first];
        const Location was = it->second.second;
        it->second = {st.record, st.at};
        if (was.line == 0 && replaced == 0) break;  // the empty default mode, named on purpose
        std::string message = was.line == 0 ? "this MODE line replaces the default mode \"" + name + "\""
                                             : "mode \"" + name + "\" is defined again: this replaces the mode of " +
                                                   Place(was, st.at);
        if (replaced > 0)
          message += " and the " + std::to_string(replaced) + (replaced == 1 ? " clause" : " clauses") +
                     " read into it";
        ctx.Report(st.at, false, message, "duplicate-name");
        break;
      }
      case Keyword::Procedure: {
        const std::string name = FirstName(st);
        if (!st.fresh || name.empty()) break;
        if (const auto was = procs.Add(name, st.at))
          ctx.Report(st.at, false,
                     "procedure \"" + name + "\" is defined again: this replaces the procedure of " +
                         Place(*was, st.at) + " and its steps",
                     "duplicate-name");
        break;
      }
      case Keyword::Step: {
        const std::string name = FirstName(st);
        if (!st.fresh || name.empty()) break;
        auto [it, added] = steps.emplace(std::make_pair(st.owner, UpperCase(name)), st.at);
        if (!added) {
          ctx.Report(st.at, false,
                     "step \"" + name + "\" is defined again in its procedure: this replaces the step of " +
                         Place(it->second, st.at),
                     "duplicate-name");
          it->second = st.at;
        }
        break;
      }
      case Keyword::StartCollection: {
        const std::string name = FirstName(st);
        if (name.empty()) break;
        if (const auto was = collections.Add(name, st.at))
          ctx.Report(st.at, false,
                     "collection \"" + name + "\" is defined again: this replaces the collection of " +
                         Place(*was, st.at),
                     "duplicate-name");
        break;
      }
      case Keyword::NameObject: {
        const std::string name = FirstName(st);
        if (name.empty()) break;
        const auto was = objects.Add(name, st.at);
        if (!was) break;
        if (was->line == 0)
          ctx.Report(st.at, false, "\"" + name + "\" is the brain's own name: lookups of it find the brain",
                     "duplicate-name");
        else
          ctx.Report(st.at, false,
                     "the name \"" + name + "\" is already given at " + Place(*was, st.at) +
                         "; lookups find the record named first",
                     "duplicate-name");
        break;
      }
      case Keyword::Fact: {
        const std::string name = FirstName(st);
        if (const auto was = facts.Add(name, st.at))
          ctx.Report(st.at, false,
                     "fact \"" + name + "\" is set again: the value from " + Place(*was, st.at) + " is replaced",
                     "duplicate-name");
        break;
      }
      default: break;
    }
  }
}

void CheckInclude(Context& ctx, const Statement& st) {
  const std::string path = FirstName(st);
  if (path.empty() || IsRegularFile(path)) return;
  std::string message = "INCLUDE names no file: \"" + path + "\"; the line is skipped";
  // Paths are taken from the current directory, not from the brain's.
  const std::size_t slash = st.at.file.rfind('/');
  if (path[0] != '/' && slash != std::string::npos && IsRegularFile(st.at.file.substr(0, slash + 1) + path))
    message += " (there is such a file beside " + st.at.file + ", but paths are read from the current directory)";
  ctx.Report(st.at, false, message, "missing-file");
}

}  // namespace

void CheckStatements(Context& ctx) {
  for (const Statement& st : ctx.statements) {
    CheckCommentLike(ctx, st);
    const bool balanced = CheckBraces(ctx, st);
    if (st.keyword == Keyword::Include) CheckInclude(ctx, st);
    // A line whose fields ran together has no type field to judge.
    if (balanced && (st.keyword == Keyword::Fragment || st.keyword == Keyword::Response || st.keyword == Keyword::Task))
      CheckTypeName(ctx, st);
  }
  CheckDuplicates(ctx);
}

}  // namespace varnex::check
