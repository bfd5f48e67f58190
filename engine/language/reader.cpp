#include "engine/language/reader.h"

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
  void Message(const std::string& text) {
    if (brain_.ReaderMessage) brain_.ReaderMessage(text);
  }
  void Fail(const char* error, int lineNo, const std::string& line) {
    Message(error + std::to_string(lineNo));
    Message(line);
  }
  void Execute(const std::string& line, int lineNo, ReaderState& state);
  void Name(const std::string& name);
  void Include(const std::string& path, int lineNo, const std::string& line);

  BrainClass& brain_;
  BrainClass::BusyScope busy_;
  Registers reg_;
  std::vector<FileIdentity> reading_;  // files being read, outermost first
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
      Message("Error reading " + path + " at line " + std::to_string(count));
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
  ops = TrimLeftView(ops);

  switch (k) {
    case Keyword::None: break;
    case Keyword::Fact: {
      std::string name = TakeBraceField(ops);
      std::string value = TakeBraceField(ops);
      brain_.AddFact(name, value);
      break;
    }
    case Keyword::StartCollection: {
      auto c = std::make_unique<DataCollectionClass>();
      std::string name = TakeBraceField(ops);
      std::string option = TakeBraceField(ops);
      if (UpperCase(TrimView(option)) == "UNSORTED") c->SetSorted(false);
      reg_.collection = c.get();
      reg_.object = reg_.collection;
      brain_.AddCollection(name, std::move(c));
      state = ReaderState::Collection;
      break;
    }
    case Keyword::EndCollection:
      reg_.collection = nullptr;
      state = ReaderState::Outside;
      break;
    case Keyword::Mode: {
      auto m = std::make_unique<KnowledgeClass>();
      reg_.mode = m.get();
      reg_.object = reg_.mode;
      brain_.AddKnowledge(TakeBraceField(ops), std::move(m));
      break;
    }
    case Keyword::State: brain_.AddState(TakeBraceField(ops)); break;
    case Keyword::Procedure: {
      auto p = std::make_unique<ProcClass>();
      reg_.proc = p.get();
      reg_.object = reg_.proc;
      brain_.AddProc(TakeBraceField(ops), std::move(p));
      break;
    }
    case Keyword::Step: {
      ProcClass* proc = Live(reg_.proc);
      if (!proc) return Fail("No Current Procedure In Line ", lineNo, line);
      auto s = std::make_unique<StepClass>();
      std::string name = TakeBraceField(ops);
      s->TheName = name;
      s->ThePrompt = TakeBraceField(ops);
      reg_.step = s.get();
      reg_.object = reg_.step;
      AddStep(brain_, *proc, name, std::move(s));
      break;
    }
    case Keyword::ForMode: {
      KnowledgeClass* mode = Live(reg_.mode);
      if (!mode) return Fail("No Current Mode In Line ", lineNo, line);
      auto p = std::make_unique<PatternClass>();
      p->OrderBonus = WholeNumberOr(TakePlainField(ops), 0);
      p->OrderPenalty = WholeNumberOr(TakePlainField(ops), 0);
      reg_.clause = AddPatternToKnowledge(*mode, std::move(p));
      reg_.object = reg_.clause;
      state = ReaderState::Clause;
      break;
    }
    case Keyword::ForStep: {
      StepClass* step = Live(reg_.step);
      if (!step) return Fail("No Current Step In Line ", lineNo, line);
      reg_.stepClause = AddStepPatternToStep(*step, std::make_unique<StepPatternClass>());
      reg_.object = reg_.stepClause;
      state = ReaderState::StepClause;
      break;
    }
    case Keyword::Threshold: {
      if (state == ReaderState::StepClause)
        return Fail("Can Not Add Threshold To a Procedure Step In Line ", lineNo, line);
      PatternClass* clause = Live(reg_.clause);
      if (!clause) return Fail("No Current Clause In Line ", lineNo, line);
      auto t = std::make_unique<ThresholdClass>();
      t->ThreshFrom = TrimmedNumber(TakePlainField(ops));
      t->ThreshTo = TrimmedNumber(TakePlainField(ops));
      reg_.threshold = AddThresholdToPattern(*clause, std::move(t));
      reg_.object = reg_.threshold;
      state = ReaderState::Threshold;
      break;
    }
    case Keyword::ForState: {
      if (state == ReaderState::StepClause)
        return Fail("Can Not Add State Responses To a Procedure Step In Line ", lineNo, line);
      PatternClass* clause = Live(reg_.clause);
      if (!clause) return Fail("No Current Clause In Line ", lineNo, line);
      auto s = std::make_unique<StateClass>();
      s->State = TakeBraceField(ops);
      reg_.stateResponse = AddStateToPattern(*clause, std::move(s));
      reg_.object = reg_.stateResponse;
      state = ReaderState::StateResponse;
      break;
    }
    case Keyword::Fragment: {
      StepPatternClass* stepClause = state == ReaderState::StepClause ? Live(reg_.stepClause) : nullptr;
      PatternClass* clause = state == ReaderState::StepClause ? nullptr : Live(reg_.clause);
      if (!stepClause && !clause) return Fail("No Current Clause In Line ", lineNo, line);
      auto f = std::make_unique<WordFragmentClass>();
      f->Relation = PatternTypeFromName(TakePlainField(ops));
      f->Bonus = TrimmedNumber(TakePlainField(ops));
      f->Penalty = TrimmedNumber(TakePlainField(ops));
      f->WordFrag = TakeBraceField(ops);
      f->TheName = TakeBraceField(ops);
      f->TheValue = TakeBraceField(ops);
      reg_.object = stepClause ? AddFragmentToStepPattern(*stepClause, std::move(f))
                               : AddFragmentToPattern(*clause, std::move(f));
      break;
    }
    case Keyword::Response: {
      ResponseClass* added = nullptr;
      auto r = std::make_unique<ResponseClass>();
      r->OutText = TakeBraceField(ops);
      r->ResponseType = ResponseTypeFromName(TakePlainField(ops));
      r->TheName = TakeBraceField(ops);
      r->TheValue = TakeBraceField(ops);
      switch (state) {
        case ReaderState::Outside:
        case ReaderState::Collection: return Fail("Mode Error In Line ", lineNo, line);
        case ReaderState::Clause:
          if (PatternClass* c = Live(reg_.clause)) added = AddResponseToPattern(*c, std::move(r));
          else return Fail("No Current Clause In Line ", lineNo, line);
          break;
        case ReaderState::StepClause:
          if (StepPatternClass* sp = Live(reg_.stepClause)) added = AddResponseToStepPattern(*sp, std::move(r));
          else return Fail("No Current Step Clause In Line ", lineNo, line);
          break;
        case ReaderState::Threshold:
          if (ThresholdClass* t = Live(reg_.threshold)) added = AddResponseToThreshold(*t, std::move(r));
          else return Fail("No Current Threshold In Line ", lineNo, line);
          break;
        case ReaderState::StateResponse:
          if (StateClass* s = Live(reg_.stateResponse)) added = AddResponseToState(*s, std::move(r));
          else return Fail("No Current State Response In Line ", lineNo, line);
          break;
      }
      reg_.response = added;
      reg_.object = reg_.response;
      break;
    }
    case Keyword::Task: {
      ResponseClass* response = Live(reg_.response);
      if (!response) return Fail("No Current Response In Line ", lineNo, line);
      auto t = std::make_unique<TaskClass>();
      t->OutText = TakeBraceField(ops);
      t->ResponseType = ResponseTypeFromName(TakePlainField(ops));
      t->TheName = TakeBraceField(ops);
      t->TheValue = TakeBraceField(ops);
      reg_.object = AddTaskToResponse(*response, std::move(t));
      break;
    }
    case Keyword::NameObject: Name(TakeBraceField(ops)); break;
    case Keyword::AutoName: Name(NewAutoName(brain_)); break;
    case Keyword::Include: Include(TakeBraceField(ops), lineNo, line); break;
  }
}

}  // namespace

void LoadLanguageFile(BrainClass& brain, const std::string& path) { LanguageReader(brain).ReadFile(path); }

void LoadLanguageText(BrainClass& brain, const std::vector<std::string>& lines) {
  LanguageReader(brain).ReadLines(lines);
}

}  // namespace varnex
