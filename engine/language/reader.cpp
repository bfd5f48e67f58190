// Reading Language text. Lines are classified by their first keyword
// (anything else is a comment); a statement attaches its record to the
// current record of its kind, held in the reader's registers, and becomes
// current itself. A statement that cannot attach is reported with its line
// number and skipped, and reading goes on. Includes are read into the same
// brain with their own line numbers and registers, bounded in depth and
// count, and a file that includes itself is refused.
#include "engine/language/reader.h"

#include <algorithm>
#include <array>
#include <memory>

#include "engine/records/attach.h"
#include "engine/records/type_names.h"
#include "engine/template/expand_tags.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "engine/language/fields.h"
#include "engine/language/keywords.h"
#include "platform/text_file.h"

namespace varnex {
namespace {

enum class ReaderState { Outside, Collection, Clause, StepClause, Threshold, StateResponse };

// Included files may include others; beyond this depth, or beyond this many
// included reads in one read (a file that includes another twice, on every
// level, would otherwise multiply without end), the reader refuses.
constexpr std::size_t kMaxIncludeDepth = 64;
constexpr std::size_t kMaxIncludes = 1000;

// The records that statements attach to. A register whose record has been
// retired (its mode or procedure was replaced under the same name) counts
// as empty.
struct Registers {
  KnowledgeClass* mode = nullptr;
  DataCollectionClass* collection = nullptr;
  ProcClass* proc = nullptr;
  StepClass* step = nullptr;
  PatternClass* clause = nullptr;
  StepPatternClass* stepClause = nullptr;
  ThresholdClass* threshold = nullptr;
  StateClass* stateResponse = nullptr;
  ResponseClass* response = nullptr;
  ObjectClass* object = nullptr;
};

template <class T>
T* Live(T* record) {
  return record && !record->Retired ? record : nullptr;
}

class LanguageReader {
 public:
  explicit LanguageReader(BrainClass& brain) : brain_(brain), busy_(brain) {}

  void ReadFile(const std::string& path);
  void ReadLines(const std::vector<std::string>& lines);

 private:
  void Reset();
  void Progress(int count) {
    if (brain_.LanguageProgress && count % 10 == 0) brain_.LanguageProgress(std::to_string(count));
  }
  void Message(const std::string& text, int lineNo = 0) {
    if (brain_.ReaderMessage) brain_.ReaderMessage(text);
    if (brain_.ReaderMessageAt) brain_.ReaderMessageAt(File(), lineNo, text);
  }
  void Fail(const char* error, int lineNo, const std::string& line) {
    Message(error + std::to_string(lineNo), lineNo);
    Message(line, lineNo);
  }
  // The file being read, as its path was given; empty for lines.
  const std::string& File() const {
    static const std::string none;
    return paths_.empty() ? none : paths_.back();
  }
  // One statement being executed: its line, number and fields.
  struct Statement {
    const std::string& line;
    int lineNo;
    std::string_view ops;  // the fields after the keyword
    ReaderState& state;
    std::string Brace() { return TakeBraceField(ops); }
    std::string Plain() { return TakePlainField(ops); }
  };
  void Execute(const std::string& line, int lineNo, ReaderState& state);
  void Fail(const char* error, const Statement& st) { Fail(error, st.lineNo, st.line); }
  void Name(const std::string& name);
  void Include(const std::string& path, int lineNo, const std::string& line);
  // One function per statement.
  void Fact(Statement& st);
  void StartCollection(Statement& st);
  void EndCollection(Statement& st);
  void Mode(Statement& st);
  void State(Statement& st);
  void Procedure(Statement& st);
  void Step(Statement& st);
  void ForMode(Statement& st);
  void ForStep(Statement& st);
  void Threshold(Statement& st);
  void ForState(Statement& st);
  void Fragment(Statement& st);
  void Response(Statement& st);
  void Task(Statement& st);
  void NameObject(Statement& st) { Name(st.Brace()); }
  void AutoName(Statement&) { Name(NewAutoName(brain_)); }
  void Include(Statement& st) { Include(st.Brace(), st.lineNo, st.line); }
  // Adds a response to the record the reader's state says is current, or
  // says why there is none.
  ResponseClass* AddResponse(std::unique_ptr<ResponseClass> r, Statement& st);

  BrainClass& brain_;
  BrainClass::BusyScope busy_;
  Registers reg_;
  std::vector<FileIdentity> reading_;  // files being read, outermost first
  std::vector<std::string> paths_;     // their paths as given (lines read count as "")
  std::size_t includeDepth_ = 0;       // INCLUDE statements being read
  std::size_t includes_ = 0;           // included reads so far
};

void LanguageReader::Reset() {
  reg_ = Registers{};
  reg_.mode = brain_.Knowledge.empty() ? nullptr : brain_.Knowledge.front().get();
  reg_.object = reg_.mode;
}

void LanguageReader::ReadFile(const std::string& path) {
  Reset();
  paths_.push_back(path);
  struct Leave {
    std::vector<std::string>& paths;
    ~Leave() { paths.pop_back(); }
  } leave{paths_};
  LineReader file;
  if (!file.Open(path)) {
    Message("Could not open file: " + path);
    return;
  }
  FileIdentity id;
  bool identified = IdentifyFile(path, id);
  if (identified) reading_.push_back(id);
  ReaderState state = ReaderState::Outside;
  int count = 0;
  std::string line;
  for (;;) {
    LineReader::Result r = file.Next(line);
    if (r == LineReader::Result::End) break;
    Progress(count);
    ++count;
    if (r == LineReader::Result::Error) {
      Message("Error reading " + path + " at line " + std::to_string(count), count);
      break;
    }
    Execute(line, count, state);
  }
  file.Close();
  if (identified) reading_.pop_back();
}

void LanguageReader::ReadLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  Reset();
  paths_.push_back("");
  struct Leave {
    std::vector<std::string>& paths;
    ~Leave() { paths.pop_back(); }
  } leave{paths_};
  ReaderState state = ReaderState::Outside;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Progress(static_cast<int>(i));
    Execute(lines[i], static_cast<int>(i + 1), state);
  }
}

void LanguageReader::Name(const std::string& name) {
  ObjectClass* object = Live(reg_.object);
  if (!object) return;
  brain_.NamedObjects.Add(name, object);
  object->ObjectName = name;
}

void LanguageReader::Include(const std::string& path, int lineNo, const std::string& line) {
  if (!IsRegularFile(path)) return;  // a path that names no file is skipped silently
  FileIdentity id;
  if (IdentifyFile(path, id)) {
    for (const auto& r : reading_) {
      if (r == id) {
        Fail("File Includes Itself In Line ", lineNo, line);
        return;
      }
    }
  }
  if (includeDepth_ >= kMaxIncludeDepth) {
    Fail("Include Nested Too Deeply In Line ", lineNo, line);
    return;
  }
  if (includes_ >= kMaxIncludes) {
    Fail("Too Many Includes In Line ", lineNo, line);
    return;
  }
  ++includes_;
  ++includeDepth_;
  ReadFile(path);
  --includeDepth_;
}

// Numbers of THRESHOLD and FRAGMENT are trimmed; those of FOR-MODE are not.
int32_t TrimmedNumber(const std::string& field) { return WholeNumberOr(TrimView(field), 0); }

void LanguageReader::Execute(const std::string& line, int lineNo, ReaderState& state) {
  // Only a keyword's length of the line decides the statement.
  constexpr std::size_t kLongestKeyword = 16;
  const std::string_view trimmed = TrimView(line);
  char prefix[kLongestKeyword];
  const std::size_t n = std::min(trimmed.size(), kLongestKeyword);
  for (std::size_t i = 0; i < n; ++i) prefix[i] = UpperChar(trimmed[i]);
  const std::string_view upper(prefix, n);
  if (state == ReaderState::Collection && !upper.starts_with("END-COLLECTION")) {
    if (DataCollectionClass* c = Live(reg_.collection)) c->AddMember(line);
    return;
  }
  const Keyword k = ClassifyLine(upper);
  if (k == Keyword::None) return;  // anything else is a comment

  std::string_view ops = TrimLeftView(line);
  ops.remove_prefix(std::min(ops.size(), KeywordText(k).size()));
  Statement st{line, lineNo, TrimLeftView(ops), state};
  using Function = void (LanguageReader::*)(Statement&);
  // Filled by keyword, so that no entry can slip into another's place.
  static constexpr auto kStatements = [] {
    std::array<Function, static_cast<std::size_t>(Keyword::Count)> t{};
    t[static_cast<std::size_t>(Keyword::Fact)] = &LanguageReader::Fact;
    t[static_cast<std::size_t>(Keyword::StartCollection)] = &LanguageReader::StartCollection;
    t[static_cast<std::size_t>(Keyword::EndCollection)] = &LanguageReader::EndCollection;
    t[static_cast<std::size_t>(Keyword::Mode)] = &LanguageReader::Mode;
    t[static_cast<std::size_t>(Keyword::State)] = &LanguageReader::State;
    t[static_cast<std::size_t>(Keyword::Procedure)] = &LanguageReader::Procedure;
    t[static_cast<std::size_t>(Keyword::Step)] = &LanguageReader::Step;
    t[static_cast<std::size_t>(Keyword::ForMode)] = &LanguageReader::ForMode;
    t[static_cast<std::size_t>(Keyword::ForStep)] = &LanguageReader::ForStep;
    t[static_cast<std::size_t>(Keyword::Threshold)] = &LanguageReader::Threshold;
    t[static_cast<std::size_t>(Keyword::ForState)] = &LanguageReader::ForState;
    t[static_cast<std::size_t>(Keyword::Fragment)] = &LanguageReader::Fragment;
    t[static_cast<std::size_t>(Keyword::Response)] = &LanguageReader::Response;
    t[static_cast<std::size_t>(Keyword::Task)] = &LanguageReader::Task;
    t[static_cast<std::size_t>(Keyword::NameObject)] = &LanguageReader::NameObject;
    t[static_cast<std::size_t>(Keyword::AutoName)] = &LanguageReader::AutoName;
    t[static_cast<std::size_t>(Keyword::Include)] = &LanguageReader::Include;
    return t;
  }();
  if (const Function statement = kStatements[static_cast<std::size_t>(k)]) (this->*statement)(st);
  if (brain_.StatementRead) brain_.StatementRead(File(), lineNo, line, Live(reg_.object));
}

void LanguageReader::Fact(Statement& st) {
  std::string name = st.Brace();
  std::string value = st.Brace();
  brain_.AddFact(name, value);
}

void LanguageReader::StartCollection(Statement& st) {
  auto c = std::make_unique<DataCollectionClass>();
  std::string name = st.Brace();
  std::string option = st.Brace();
  if (UpperCase(TrimView(option)) == "UNSORTED") c->SetSorted(false);
  reg_.collection = c.get();
  reg_.object = reg_.collection;
  brain_.AddCollection(name, std::move(c));
  st.state = ReaderState::Collection;
}

void LanguageReader::EndCollection(Statement& st) {
  reg_.collection = nullptr;
  st.state = ReaderState::Outside;
}

void LanguageReader::Mode(Statement& st) {
  auto m = std::make_unique<KnowledgeClass>();
  reg_.mode = m.get();
  reg_.object = reg_.mode;
  brain_.AddKnowledge(st.Brace(), std::move(m));
}

void LanguageReader::State(Statement& st) { brain_.AddState(st.Brace()); }

void LanguageReader::Procedure(Statement& st) {
  auto p = std::make_unique<ProcClass>();
  reg_.proc = p.get();
  reg_.object = reg_.proc;
  brain_.AddProc(st.Brace(), std::move(p));
}

void LanguageReader::Step(Statement& st) {
  ProcClass* proc = Live(reg_.proc);
  if (!proc) return Fail("No Current Procedure In Line ", st);
  auto s = std::make_unique<StepClass>();
  std::string name = st.Brace();
  s->TheName = name;
  s->ThePrompt = st.Brace();
  reg_.step = s.get();
  reg_.object = reg_.step;
  AddStep(brain_, *proc, name, std::move(s));
}

void LanguageReader::ForMode(Statement& st) {
  KnowledgeClass* mode = Live(reg_.mode);
  if (!mode) return Fail("No Current Mode In Line ", st);
  auto p = std::make_unique<PatternClass>();
  p->OrderBonus = WholeNumberOr(st.Plain(), 0);
  p->OrderPenalty = WholeNumberOr(st.Plain(), 0);
  reg_.clause = AddPatternToKnowledge(*mode, std::move(p));
  reg_.object = reg_.clause;
  st.state = ReaderState::Clause;
}

void LanguageReader::ForStep(Statement& st) {
  StepClass* step = Live(reg_.step);
  if (!step) return Fail("No Current Step In Line ", st);
  reg_.stepClause = AddStepPatternToStep(*step, std::make_unique<StepPatternClass>());
  reg_.object = reg_.stepClause;
  st.state = ReaderState::StepClause;
}

void LanguageReader::Threshold(Statement& st) {
  if (st.state == ReaderState::StepClause) return Fail("Can Not Add Threshold To a Procedure Step In Line ", st);
  PatternClass* clause = Live(reg_.clause);
  if (!clause) return Fail("No Current Clause In Line ", st);
  auto t = std::make_unique<ThresholdClass>();
  t->ThreshFrom = TrimmedNumber(st.Plain());
  t->ThreshTo = TrimmedNumber(st.Plain());
  reg_.threshold = AddThresholdToPattern(*clause, std::move(t));
  reg_.object = reg_.threshold;
  st.state = ReaderState::Threshold;
}

void LanguageReader::ForState(Statement& st) {
  if (st.state == ReaderState::StepClause)
    return Fail("Can Not Add State Responses To a Procedure Step In Line ", st);
  PatternClass* clause = Live(reg_.clause);
  if (!clause) return Fail("No Current Clause In Line ", st);
  auto s = std::make_unique<StateClass>();
  s->State = st.Brace();
  reg_.stateResponse = AddStateToPattern(*clause, std::move(s));
  reg_.object = reg_.stateResponse;
  st.state = ReaderState::StateResponse;
}

void LanguageReader::Fragment(Statement& st) {
  StepPatternClass* stepClause = st.state == ReaderState::StepClause ? Live(reg_.stepClause) : nullptr;
  PatternClass* clause = st.state == ReaderState::StepClause ? nullptr : Live(reg_.clause);
  if (!stepClause && !clause) return Fail("No Current Clause In Line ", st);
  auto f = std::make_unique<WordFragmentClass>();
  f->Relation = PatternTypeFromName(st.Plain());
  f->Bonus = TrimmedNumber(st.Plain());
  f->Penalty = TrimmedNumber(st.Plain());
  f->WordFrag = st.Brace();
  f->TheName = st.Brace();
  f->TheValue = st.Brace();
  reg_.object = stepClause ? AddFragmentToStepPattern(*stepClause, std::move(f))
                           : AddFragmentToPattern(*clause, std::move(f));
}

ResponseClass* LanguageReader::AddResponse(std::unique_ptr<ResponseClass> r, Statement& st) {
  switch (st.state) {
    case ReaderState::Outside:
    case ReaderState::Collection: break;
    case ReaderState::Clause:
      if (PatternClass* c = Live(reg_.clause)) return AddResponseToPattern(*c, std::move(r));
      Fail("No Current Clause In Line ", st);
      return nullptr;
    case ReaderState::StepClause:
      if (StepPatternClass* sp = Live(reg_.stepClause)) return AddResponseToStepPattern(*sp, std::move(r));
      Fail("No Current Step Clause In Line ", st);
      return nullptr;
    case ReaderState::Threshold:
      if (ThresholdClass* t = Live(reg_.threshold)) return AddResponseToThreshold(*t, std::move(r));
      Fail("No Current Threshold In Line ", st);
      return nullptr;
    case ReaderState::StateResponse:
      if (StateClass* s = Live(reg_.stateResponse)) return AddResponseToState(*s, std::move(r));
      Fail("No Current State Response In Line ", st);
      return nullptr;
  }
  Fail("Mode Error In Line ", st);
  return nullptr;
}

void LanguageReader::Response(Statement& st) {
  auto r = std::make_unique<ResponseClass>();
  r->OutText = st.Brace();
  r->ResponseType = ResponseTypeFromName(st.Plain());
  r->TheName = st.Brace();
  r->TheValue = st.Brace();
  ResponseClass* added = AddResponse(std::move(r), st);
  if (!added) return;  // the registers stay as they were
  reg_.response = added;
  reg_.object = reg_.response;
}

void LanguageReader::Task(Statement& st) {
  ResponseClass* response = Live(reg_.response);
  if (!response) return Fail("No Current Response In Line ", st);
  auto t = std::make_unique<TaskClass>();
  t->OutText = st.Brace();
  t->ResponseType = ResponseTypeFromName(st.Plain());
  t->TheName = st.Brace();
  t->TheValue = st.Brace();
  reg_.object = AddTaskToResponse(*response, std::move(t));
}

}  // namespace

void LoadLanguageFile(BrainClass& brain, const std::string& path) { LanguageReader(brain).ReadFile(path); }

void LoadLanguageText(BrainClass& brain, const std::vector<std::string>& lines) {
  LanguageReader(brain).ReadLines(lines);
}

}  // namespace varnex
