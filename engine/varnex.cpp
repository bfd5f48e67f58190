// The front door: a Brain wraps the records, the reader and writer, and the
// input cycle, and turns what escapes a run into a RunResult. The brain's
// own hooks forward to the handlers, so a host may replace a handler at any
// time without touching the brain.
#include "engine/varnex.h"

#include <algorithm>
#include <exception>
#include <type_traits>

#include "engine/base/errors.h"
#include "engine/base/random.h"
#include "engine/cycle/input_cycle.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "engine/matching/best_pattern.h"
#include "engine/matching/explain.h"
#include "engine/matching/score_rules.h"
#include "engine/tools/check.h"
#include "engine/records/brain.h"
#include "engine/records/session.h"
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
  b.ReaderMessageAt = [this](const std::string& file, int line, const std::string& s) {
    if (handlers_.readerMessageAt) handlers_.readerMessageAt(file, line, s);
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
  BrainVisitor::Response v{ResponseTypeName(r.ResponseType), r.OutText.view(), r.ObjectName.view()};
  if constexpr (std::is_same_v<R, ResponseClass>) v.uses = r.Uses;
  return v;
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

void Brain::KeepSessions() { MarkBrainAsRead(*brain_); }
std::string Brain::SaveSession() const { return varnex::SaveSession(*brain_); }
std::string Brain::RestoreSession(std::string_view blob) {
  try {
    varnex::RestoreSession(*brain_, blob);
    return {};
  } catch (const SessionError& e) {
    return e.what();
  }
}
void Brain::SetLearning(bool on) { brain_->LearningOff = !on; }

std::vector<Brain::AnsweredBy> Brain::Answered() const {
  std::vector<AnsweredBy> out;
  for (const BrainClass::AnswerSource& a : brain_->Answered)
    out.push_back({a.Step, a.Owner, a.StepName, a.Number, a.Name, a.Score});
  return out;
}

// ---- explaining an answer ----

namespace {

// What a fragment looks for, as a reader of the brain would name it.
std::string Sought(const WordFragmentClass& f) {
  switch (f.Relation) {
    case PatternType::DataMatch: return f.TheName + " = " + f.TheValue;
    case PatternType::StateMatch: return "state " + f.TheName;
    case PatternType::InCollection:
    case PatternType::InCollectionSub: return "collection " + f.TheName;
    default: return f.WordFrag.str();
  }
}

Brain::ClausePart Described(const KnowledgeClass& k, const ClauseExplained& c) {
  const PatternClass& p = *k.Patterns[c.index];
  Brain::ClausePart part;
  part.number = static_cast<int>(c.index) + 1;
  part.name = p.ObjectName.str();
  for (const FragmentExplained& f : c.fragments)
    part.fragments.push_back({std::string(PatternTypeName(f.fragment->Relation)), Sought(*f.fragment), f.found, f.score,
                              f.position});
  part.inOrder = c.inOrder;
  part.orderScore = c.orderScore;
  part.total = c.total;
  if (!p.Responses.empty()) part.response = p.Responses.front()->OutText.str();
  return part;
}

std::string ClauseLabel(const Brain::ClausePart& c) {
  std::string label = "clause " + std::to_string(c.number);
  if (!c.name.empty()) label += " (" + c.name + ")";
  return label;
}

}  // namespace

Brain::Explanation Brain::Explain(const std::string& input, int count, const std::string& clause) {
  Explanation e;
  BrainClass& b = *brain_;
  if (const ProcClass* proc = b.CurrentProcedure()) e.procedure = proc->TheName.str();
  KnowledgeClass* k = b.CurrentKnowledge();
  if (!k) {
    e.why = "There is no current mode: the input gets no answer from a mode.";
    return e;
  }
  e.mode = k->TheName.str();
  e.clauses = static_cast<int>(k->Patterns.size());
  std::vector<ClauseExplained> all;
  try {
    all = ExplainMode(b, *k, input);
  } catch (const std::exception& ex) {
    e.error = ex.what();
    return e;
  }
  // Best first; on a tie the earlier clause first, as the answer chooses.
  std::vector<std::size_t> order(all.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t c) { return all[a].total > all[c].total; });
  for (std::size_t i = 0; i < order.size() && static_cast<int>(i) < std::max(count, 1); ++i)
    e.best.push_back(Described(*k, all[order[i]]));

  const bool answers = !order.empty() && all[order[0]].total > kScoreFloor;
  const ClausePart* winner = answers ? &e.best.front() : nullptr;
  // The first clause that scores the same as the winner, after it.
  const ClausePart* tied = nullptr;
  if (winner && order.size() > 1 && all[order[1]].total == winner->total && e.best.size() > 1) tied = &e.best[1];
  if (!clause.empty()) {
    std::optional<std::size_t> at;
    if (clause.size() > 1 && clause[0] == '#') {
      const int32_t n = WholeNumberOr(std::string_view(clause).substr(1), 0);
      if (n >= 1 && static_cast<std::size_t>(n) <= all.size()) at = static_cast<std::size_t>(n - 1);
    } else {
      for (std::size_t i = 0; i < k->Patterns.size() && !at; ++i)
        if (EqualsNoCase(k->Patterns[i]->ObjectName.view(), clause)) at = i;
    }
    if (!at) {
      e.why = "The mode " + e.mode + " has no clause " + clause + ".";
      return e;
    }
    e.asked = Described(*k, all[*at]);
    const ClausePart& a = *e.asked;
    if (winner && winner->number == a.number)
      e.why = ClauseLabel(a) + " wins, with " + std::to_string(a.total) + ".";
    else if (a.total <= kScoreFloor)
      e.why = ClauseLabel(a) + " scores " + std::to_string(a.total) + ", which is not above " +
              std::to_string(kScoreFloor) + ": it can never answer.";
    else if (winner && a.total == winner->total)
      e.why = ClauseLabel(a) + " ties with " + ClauseLabel(*winner) + " at " + std::to_string(a.total) +
              ", and the earlier clause wins a tie.";
    else if (winner)
      e.why = ClauseLabel(a) + " scores " + std::to_string(a.total) + ", below " + ClauseLabel(*winner) + " with " +
              std::to_string(winner->total) + ".";
    return e;
  }
  if (!winner)
    e.why = "No clause scores above " + std::to_string(kScoreFloor) + ": the mode has no answer.";
  else if (tied)
    e.why = ClauseLabel(*winner) + " wins with " + std::to_string(winner->total) + ", tied with " + ClauseLabel(*tied) +
            ": the earlier clause wins a tie.";
  else
    e.why = ClauseLabel(*winner) + " wins with " + std::to_string(winner->total) + ", the highest score.";
  if (!e.procedure.empty())
    e.why += " But the procedure " + e.procedure + " runs, so the input goes to its current step.";
  else if (!b.DoBefore.empty())
    e.why += " (Do-Before clauses answer first, and what they do may change this.)";
  return e;
}

std::vector<Finding> CheckBrains(const std::vector<std::string>& paths) { return CheckBrainFiles(paths); }

// ---- the process as a whole ----

void FixRandomSeed(uint64_t seed) { varnex::FixRandomSeed(std::optional<uint64_t>(seed)); }
void SeedThisThread(uint64_t seed) { SeedRandom(seed); }

void OpenWordDatabase(const std::string& folder) { AskMentavo("", folder.ends_with('/') ? folder : folder + "/"); }

std::string AskWordDatabase(const std::string& folder, const std::string& question) {
  return AskMentavo(question, folder.ends_with('/') ? folder : folder + "/");
}

}  // namespace varnex
