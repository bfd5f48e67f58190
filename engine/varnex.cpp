// The front door: a Brain wraps the records, the reader and writer, and the
// input cycle, and turns what escapes a run into a RunResult. The brain's
// own hooks forward to the handlers, so a host may replace a handler at any
// time without touching the brain.
#include "engine/varnex.h"

#include <exception>

#include "engine/base/errors.h"
#include "engine/base/random.h"
#include "engine/cycle/input_cycle.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"
#include "engine/matching/best_pattern.h"
#include "engine/records/brain.h"
#include "engine/records/type_names.h"
#include "engine/template/word_database.h"
#include "engine/template/word_database_builder.h"
#include "platform/text_file.h"

namespace varnex {

namespace {

// Runs one engine call and says how it ended.
template <class F>
RunResult Run(F&& f) {
  try {
    f();
    return {};
  } catch (const InputStopped& e) {
    return {Outcome::Stopped, e.what()};
  } catch (const std::exception& e) {
    return {Outcome::Failed, e.what()};
  }
}

}  // namespace

Brain::Brain(Handlers handlers) : brain_(std::make_unique<BrainClass>()), handlers_(std::move(handlers)) { Install(); }

Brain::~Brain() = default;

void Brain::Install() {
  BrainClass& b = *brain_;
  b.OutputHandler = [this](const std::string& s) {
    if (handlers_.answer) handlers_.answer(s);
  };
  b.ReaderMessage = [this](const std::string& s) {
    if (handlers_.readerMessage) handlers_.readerMessage(s);
  };
  b.LanguageProgress = [this](const std::string& s) {
    if (handlers_.progress) handlers_.progress(s);
  };
  b.ErrorHandler = [this](const std::string& s) {
    if (handlers_.error) handlers_.error(s);
  };
  b.AskPermission = [this](Permission p, const std::string& what) {
    return handlers_.permission && handlers_.permission(p, what);
  };
  b.WhileBusy = [this](double seconds) {
    if (handlers_.whileBusy) handlers_.whileBusy(seconds);
  };
}

void Brain::SetTrace(TextHandler trace) {
  if (trace)
    brain_->TraceStart(std::move(trace));
  else
    brain_->TraceStop();
}

bool Brain::Tracing() const { return brain_->TraceOn; }

void Brain::SetVolitionTimer(VolitionTimerInterface* timer) { brain_->VolitionTimer = timer; }
RunLimits& Brain::Limits() { return brain_->Limits; }
void Brain::SetFastPath(bool on) { brain_->FastPath = on; }

std::optional<std::string> Brain::CannotOpen(const std::string& path) {
  LineReader probe;
  if (probe.Open(path)) return std::nullopt;
  return "Could not open file: " + path;
}

RunResult Brain::ReadFile(const std::string& path) {
  return Run([&] {
    LoadLanguageFile(*brain_, path);
    PrepareAnswering(*brain_);
  });
}

RunResult Brain::ReadText(const std::vector<std::string>& lines) {
  return Run([&] {
    LoadLanguageText(*brain_, lines);
    PrepareAnswering(*brain_);
  });
}

std::vector<std::string> Brain::Text() {
  std::vector<std::string> lines;
  SaveLanguageText(*brain_, lines);
  return lines;
}

std::string Brain::Save(const std::string& path) {
  try {
    return SaveLanguageFile(*brain_, path);
  } catch (const std::exception& e) {
    return e.what();  // nothing was replaced
  }
}

RunResult Brain::Start() {
  RunResult r = Run([&] { ClauseInit(*brain_); });
  RunResult timer = Run([&] { StartVolition(*brain_); });
  return r.Done() ? timer : r;
}

RunResult Brain::Stop() {
  RunResult r = Run([&] { ClauseFinal(*brain_); });
  StopVolition(*brain_);
  return r;
}

RunResult Brain::Answer(const std::string& input) {
  return Run([&] { ProcessInput(*brain_, input); });
}

RunResult Brain::Tick() {
  return Run([&] { VolitionTick(*brain_); });
}

void Brain::RequestStop() noexcept { brain_->RequestStop(); }
bool Brain::Busy() const { return brain_->Busy(); }

// ---- looking inside ----

namespace {

BrainVisitor::Fragment View(const WordFragmentClass& f) {
  return {PatternTypeName(f.Relation), f.WordFrag.view(), f.TheName.view(), f.ObjectName.view()};
}

template <class R>
BrainVisitor::Response ViewResponse(const R& r) {
  return {ResponseTypeName(r.ResponseType), r.OutText.view(), r.ObjectName.view()};
}

void VisitResponses(BrainVisitor& v, const OwnedList<ResponseClass>& responses) {
  for (const auto& r : responses) {
    v.ResponseRecord(ViewResponse(*r));
    for (const auto& t : r->Tasks) v.Task(ViewResponse(*t));
    v.Leave();
  }
}

void VisitProcedures(BrainVisitor& v, const BrainClass& b) {
  for (const auto& p : b.Procs) {
    v.Procedure(p->TheName, p->ObjectName.view());
    for (const auto& s : p->Steps) {
      v.Step(s->TheName.view(), s->ObjectName.view());
      int number = 0;
      for (const auto& sp : s->StepPatterns) {
        v.StepClause(++number, sp->ObjectName.view());
        for (const auto& f : sp->Fragments) v.WordFragment(View(*f));
        VisitResponses(v, sp->Responses);
        v.Leave();
      }
      v.Leave();
    }
    v.Leave();
  }
}

void VisitModes(BrainVisitor& v, const BrainClass& b) {
  for (const auto& k : b.Knowledge) {
    v.Mode(k->TheName, k->ObjectName.view());
    int number = 0;
    for (const auto& p : k->Patterns) {
      v.Clause(++number, p->HitCount, p->ObjectName.view());
      for (const auto& f : p->Fragments) v.WordFragment(View(*f));
      VisitResponses(v, p->Responses);
      for (const auto& t : p->Thresholds) {
        v.Threshold(t->ThreshFrom, t->ThreshTo, t->ObjectName.view());
        VisitResponses(v, t->Responses);
        v.Leave();
      }
      for (const auto& s : p->States) {
        v.StateResponse(s->State.view(), s->ObjectName.view());
        VisitResponses(v, s->Responses);
        v.Leave();
      }
      v.Leave();
    }
    v.Leave();
  }
}

}  // namespace

void Brain::Visit(BrainVisitor& v) const {
  const BrainClass& b = *brain_;
  v.Registers(b.MyName, b.CurrentMode, b.CurrentState, b.CurrentProc);
  for (const auto& [name, record] : b.NamedObjects.Entries()) v.NamedObject(name);
  for (const auto& s : b.StateNames) v.State(s);
  for (const auto& c : b.Collections) v.Collection(c.Name, c.Collection->Members);
  for (std::size_t i = 0; i < b.FactNames.size() && i < b.FactValues.size(); ++i) v.Fact(b.FactNames[i], b.FactValues[i]);
  for (const auto& n : b.ProcNames) v.ProcedureName(n);
  VisitProcedures(v, b);
  for (const auto& n : b.KnowledgeNames) v.ModeName(n);
  VisitModes(v, b);
}

// ---- the process as a whole ----

void FixRandomSeed(uint64_t seed) { varnex::FixRandomSeed(std::optional<uint64_t>(seed)); }

void OpenWordDatabase(const std::string& folder) { AskMentavo("", folder.ends_with('/') ? folder : folder + "/"); }

std::string AskWordDatabase(const std::string& folder, const std::string& question) {
  return AskMentavo(question, folder.ends_with('/') ? folder : folder + "/");
}

}  // namespace varnex
