// Explaining scores: the reference scoring of score.cpp, one fragment at a
// time, keeping what each added. What scoring may change in the brain is
// saved first and put back afterwards.
#include "engine/matching/explain.h"

#include <deque>

#include "engine/base/numbers.h"
#include "engine/base/random.h"
#include "engine/matching/match.h"
#include "engine/matching/score.h"
#include "engine/matching/score_rules.h"
#include "engine/template/expand_tags.h"

namespace varnex {

namespace {

// What scoring can change: facts (EXTRACT), the random generator (tags that
// draw), the registers of last names, and the member caches of collections
// (tags that read a member remember it for the input), the list of clauses
// that answered, and the input history and time the input is entered in.
class Snapshot {
 public:
  explicit Snapshot(BrainClass& brain)
      : brain_(brain),
        factNames_(brain.FactNames),
        factValues_(brain.FactValues),
        random_(SaveRandomState()),
        lastFragment_(brain.LastFragmentName),
        lastPattern_(brain.LastPatternName),
        lastStepPattern_(brain.LastStepPatternName),
        answered_(brain.Answered),
        inputs_(brain.InputHistory),
        lastInput_(brain.LastInput) {
    for (const CollectionEntry& c : brain.Collections)
      caches_.push_back({c.Collection.get(), c.Collection->MemberCache, c.Collection->MemberCacheTime,
                         c.Collection->MemberSubCache, c.Collection->MemberSubCacheTime});
  }
  ~Snapshot() {
    brain_.ReplaceFacts(std::move(factNames_), std::move(factValues_));
    RestoreRandomState(random_);
    brain_.LastFragmentName = std::move(lastFragment_);
    brain_.LastPatternName = std::move(lastPattern_);
    brain_.LastStepPatternName = std::move(lastStepPattern_);
    brain_.Answered = std::move(answered_);
    brain_.InputHistory = std::move(inputs_);
    brain_.LastInput = lastInput_;
    // Scoring adds and removes no collection, so every one saved is still
    // registered.
    for (Cache& c : caches_) {
      c.collection->MemberCache = std::move(c.member);
      c.collection->MemberCacheTime = c.memberTime;
      c.collection->MemberSubCache = std::move(c.memberSub);
      c.collection->MemberSubCacheTime = c.memberSubTime;
    }
  }
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;

 private:
  struct Cache {
    DataCollectionClass* collection;
    std::string member;
    double memberTime;
    std::string memberSub;
    double memberSubTime;
  };
  BrainClass& brain_;
  std::vector<std::string> factNames_, factValues_;
  RandomState random_;
  std::string lastFragment_, lastPattern_, lastStepPattern_;
  std::vector<BrainClass::AnswerSource> answered_;
  std::deque<std::string> inputs_;
  double lastInput_;
  std::vector<Cache> caches_;
};

ClauseExplained ExplainClause(BrainClass& brain, PatternClass& pattern, std::size_t index, const std::string& input) {
  ScoringScope scoring(brain);
  std::string expandedCopy;
  std::string_view expanded = input;
  if (input.find('^') != std::string::npos) expanded = expandedCopy = ExpandTags(brain, input, input, nullptr, &pattern);
  const MatchText text(expanded);
  ClauseExplained c;
  c.index = index;
  int32_t total = 0;
  int32_t order = kFirstPosition;
  int32_t position = kFirstPosition;
  for (std::size_t i = 0; i < pattern.Fragments.size(); ++i) {
    WordFragmentClass& f = *pattern.Fragments[i];
    const int32_t before = position;
    const int32_t s = Match(brain, f, text, position);
    total = CheckedAdd(total, s);
    order = NextOrder(order, position);
    FragmentExplained e;
    e.fragment = &f;
    e.score = s;
    const bool searches = f.Relation == PatternType::And || f.Relation == PatternType::Or ||
                          f.Relation == PatternType::Not || f.Relation == PatternType::Custom ||
                          f.Relation == PatternType::OutMatch;
    const int64_t ifFound = RelationScore(f.Relation, true, f.Bonus, f.Penalty);
    const int64_t ifAbsent = RelationScore(f.Relation, false, f.Bonus, f.Penalty);
    // When both outcomes score alike, the position the search reports tells
    // them apart (an empty word leaves it as it was).
    e.found = ifFound != ifAbsent ? s == ifFound : (searches && position > 0 && position != before);
    e.position = searches && e.found ? position : 0;
    c.fragments.push_back(e);
  }
  c.inOrder = order != kOutOfOrder;
  c.orderScore = Checked32(OrderScore(order, pattern.OrderBonus, pattern.OrderPenalty));
  c.total = Checked32(int64_t{total} + c.orderScore);
  return c;
}

}  // namespace

std::vector<ClauseExplained> ExplainMode(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input) {
  // Saved before the run begins, since beginning a run clears the list of
  // clauses that answered.
  Snapshot keep(brain);
  BrainClass::BusyScope busy(brain);
  // The clauses see the input as an answer's would: entered in the input
  // history, at a new input time.
  brain.StampLastInput();
  PushHistory(brain.InputHistory, input);
  std::vector<ClauseExplained> clauses;
  for (std::size_t i = 0; i < knowledge.Patterns.size(); ++i)
    clauses.push_back(ExplainClause(brain, *knowledge.Patterns[i], i, input));
  return clauses;
}

}  // namespace varnex
