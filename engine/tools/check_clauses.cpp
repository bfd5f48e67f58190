// Clauses that can never answer: their best possible score is not above
// the floor, or an earlier clause of the same mode (or step) is scored the
// same on every input and wins every tie. Only clauses whose score follows
// from their text are judged: not those a running brain can change, that
// answer without being scored, or that call out to a library.
#include <algorithm>
#include <optional>
#include <unordered_map>

#include "engine/base/text_search.h"
#include "engine/matching/score_rules.h"
#include "engine/tools/check_context.h"

namespace varnex::check {
namespace {

bool SearchesWord(PatternType r) {
  return r == PatternType::And || r == PatternType::Or || r == PatternType::Not || r == PatternType::Custom ||
         r == PatternType::OutMatch;
}

// The highest score the fragments can reach, with the clause's order bonus
// and penalty when `order` is set; none when a fragment's score is not
// known before it runs.
std::optional<int64_t> BestScore(const OwnedList<WordFragmentClass>& fragments, bool order, int32_t bonus,
                                 int32_t penalty) {
  int64_t any = 0;       // each fragment at its best
  int64_t allFound = 0;  // every word found, which in-order scoring needs
  bool searches = false, allFindable = true;
  for (const auto& f : fragments) {
    const PatternType r = f->Relation;
    const int64_t found = RelationScore(r, true, f->Bonus, f->Penalty);
    const int64_t absent = RelationScore(r, false, f->Bonus, f->Penalty);
    if (SearchesWord(r)) {
      searches = true;
      const bool findable = !TrimView(f->WordFrag).empty();  // an empty word is never found
      any += findable ? std::max(found, absent) : absent;
      if (findable) allFound += found;
      allFindable = allFindable && findable;
    } else if (r == PatternType::CustomSub) {
      const int64_t best = f->WordFrag.empty() ? absent : std::max(found, absent);
      any += best;
      allFound += best;
    } else if (r == PatternType::DataMatch || r == PatternType::StateMatch || r == PatternType::InCollection ||
               r == PatternType::InCollectionSub || r == PatternType::Extract) {
      any += std::max(found, absent);
      allFound += std::max(found, absent);
    } else if (r == PatternType::External) {
      return std::nullopt;
    }
  }
  if (!order) return any;
  if (!searches) return any + bonus;  // nothing can break the order
  int64_t best = any - penalty;
  if (allFindable) best = std::max(best, allFound + bonus);
  return best;
}

bool Answers(PatternType r) {
  return r == PatternType::Initialize || r == PatternType::Finalize || r == PatternType::DoBefore ||
         r == PatternType::DoAfter;
}

// Whether every text of the fragments is fixed: a tag could give the same
// fragment other values in two clauses (facts that a clause scored before
// has extracted, a random member, the name of the fragment last tested).
bool FixedTexts(const OwnedList<WordFragmentClass>& fragments) {
  for (const auto& f : fragments) {
    if (IsDynamic(f->TheName) || IsDynamic(f->TheValue)) return false;
    const std::string word = UpperCase(f->WordFrag);
    for (std::size_t c = word.find('^'); c != std::string::npos; c = word.find('^', c + 1))
      if (f->Relation != PatternType::Extract || word.compare(c, 6, "^EXTR{") != 0) return false;
  }
  return true;
}

// The fragments as scoring sees them: equal keys score the same on every
// input.
std::string ScoreKey(const OwnedList<WordFragmentClass>& fragments, int32_t bonus, int32_t penalty) {
  std::string key = std::to_string(bonus) + "," + std::to_string(penalty);
  auto add = [&](std::string_view s) { key.append(std::to_string(s.size())).append(":").append(s); };
  for (const auto& f : fragments) {
    key.append(";").append(std::to_string(Index(f->Relation))).append(",").append(std::to_string(f->Bonus));
    key.append(",").append(std::to_string(f->Penalty));
    if (SearchesWord(f->Relation))
      add(UpperCase(TrimView(f->WordFrag)));  // searched for trimmed, ignoring case
    else if (f->Relation == PatternType::CustomSub)
      add(UpperCase(f->WordFrag));
    else
      add(f->WordFrag);
    add(f->TheName);
    add(f->TheValue);
  }
  return key;
}

// Clauses that a running brain may change, delete or make answer by name.
class Changeable {
 public:
  explicit Changeable(const Context& ctx) {
    for (const Use& u : ctx.uses) {
      if (u.type == ResponseType::SelfModify || u.type == ResponseType::DeleteObject) targets_.Add(*u.out);
      if (u.type == ResponseType::DoResponseFor) targets_.Add(*u.name);
      // Add Fragment extends the clause that answered last, whichever it is.
      if (u.type == ResponseType::AddFragment) anyNamedClause_ = true;
    }
  }
  template <class Clause>
  bool operator()(const Clause& c) const {
    if (!c.ObjectName.empty() && (anyNamedClause_ || targets_.Has(c.ObjectName))) return true;
    for (const auto& f : c.Fragments)
      if (!f->ObjectName.empty() && targets_.Has(f->ObjectName)) return true;
    return false;
  }

 private:
  NameSet targets_;
  bool anyNamedClause_ = false;
};

std::string Place(const Location& at, const Location& here) {
  return (at.file == here.file ? "line " : at.file + ":") + std::to_string(at.line);
}

// The clauses of one mode, or the step clauses of one step, in order.
template <class Clause>
void CheckList(Context& ctx, const Changeable& changeable, const OwnedList<Clause>& clauses, bool order) {
  std::unordered_map<std::string, const Clause*> first;
  for (const auto& owned : clauses) {
    const Clause& c = *owned;
    if (changeable(c)) continue;
    bool answersUnscored = false, volition = false;
    for (const auto& f : c.Fragments) {
      answersUnscored = answersUnscored || Answers(f->Relation);
      volition = volition || f->Relation == PatternType::Volition;
    }
    if (answersUnscored) continue;
    int32_t bonus = 0, penalty = 0;
    if constexpr (std::is_same_v<Clause, PatternClass>) {
      bonus = c.OrderBonus;
      penalty = c.OrderPenalty;
    }
    const std::optional<int64_t> best = BestScore(c.Fragments, order, bonus, penalty);
    if (!best) continue;
    if (*best <= kScoreFloor) {
      ctx.Report(&c, false,
                 Cat({"this clause can never answer: its best possible score is ", std::to_string(*best),
                      ", not above ", std::to_string(kScoreFloor)}),
                 "unreachable-clause");
      continue;
    }
    // A volition clause speaks on its own, whatever the ties.
    if (volition || !FixedTexts(c.Fragments)) continue;
    auto [it, added] = first.emplace(ScoreKey(c.Fragments, bonus, penalty), &c);
    if (added) continue;
    const Location here = ctx.Where(&c);
    ctx.Report(here, false,
               Cat({"this clause never answers: the clause at ", Place(ctx.Where(it->second), here),
                    " has the same fragments, scores the same and wins every tie"}),
               "shadowed-clause");
  }
}

}  // namespace

void CheckClauses(Context& ctx) {
  const Changeable changeable(ctx);
  for (const auto& k : ctx.brain.Knowledge) CheckList(ctx, changeable, k->Patterns, true);
  for (const auto& proc : ctx.brain.Procs)
    for (const auto& step : proc->Steps) CheckList(ctx, changeable, step->StepPatterns, false);
}

}  // namespace varnex::check
