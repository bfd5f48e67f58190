// The mode's index and the fast way to answer. The index is valid while the
// mode's Version has not moved since it was built; clauses appended after
// that are scored in full until there are enough of them to rebuild. The
// answer must equal the reference scoring's in every respect: winner,
// score, trace lines, LastFragmentName and errors, in the same order.
#include "engine/matching/fast_answer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "engine/records/type_names.h"
#include "engine/matching/aho_corasick.h"
#include "engine/matching/score.h"
#include "engine/matching/score_rules.h"
#include "engine/base/text_search.h"
#include "platform/memory.h"

namespace varnex {
namespace {

// What the index knows of one mode. A pattern is *fixed* when every fragment
// either searches a fixed text (AND, OR, NOT, CUSTOM, CUSTOM-Sub without a
// tag) or only marks the pattern; its score then depends only on which of
// its texts occur in the input, and when none occurs it is a number known in
// advance. Every other pattern is *live* and is scored as usual, in order.
class KnowledgeIndex : public DerivedIndex {
 public:
  // Reports, for each fixed text found, the one pattern that holds it, or
  // kShared plus the place in `shared` of the count and list of patterns
  // that do (most texts belong to one pattern only).
  AhoCorasick automaton;
  static constexpr uint32_t kShared = 0x80000000u;
  std::vector<uint32_t> shared;
  std::vector<uint32_t> livePatterns;
  // For each live pattern: the last fragment of the nearest earlier pattern
  // that has fragments (whose name scoring leaves in LastFragmentName), or
  // null.
  std::vector<const WordFragmentClass*> liveFragmentBefore;
  // The fixed patterns, best absent score first, then in mode order; the
  // scores as runs: byAbsentScore[runEnd[r - 1] .. runEnd[r]) all score
  // runScore[r] (patterns of a mode mostly share a few scores).
  std::vector<uint32_t> byAbsentScore;
  std::vector<int32_t> runScore;
  std::vector<uint32_t> runEnd;
  const WordFragmentClass* lastFragment = nullptr;
  // Scratch: one bit per pattern, set while the current input makes it a
  // candidate.
  std::vector<uint64_t> candidate;
  bool IsCandidate(uint32_t p) const { return candidate[p >> 6] >> (p & 63) & 1; }
  void Mark(uint32_t p) { candidate[p >> 6] |= uint64_t{1} << (p & 63); }
  void Unmark(uint32_t p) { candidate[p >> 6] &= ~(uint64_t{1} << (p & 63)); }
};

// Clears the candidate marks of one input however its scoring ends (an
// overflow error leaves the cycle early).
class CandidateMarks {
 public:
  explicit CandidateMarks(KnowledgeIndex& idx) : idx_(idx) {}
  ~CandidateMarks() {
    for (uint32_t p : list) idx_.Unmark(p);
  }
  CandidateMarks(const CandidateMarks&) = delete;
  CandidateMarks& operator=(const CandidateMarks&) = delete;
  void Add(uint32_t p) {
    if (idx_.IsCandidate(p)) return;
    idx_.Mark(p);
    list.push_back(p);
  }
  std::vector<uint32_t> list;

 private:
  KnowledgeIndex& idx_;
};

bool SearchesWithPosition(PatternType r) { return r == PatternType::And || r == PatternType::Or || r == PatternType::Not || r == PatternType::Custom; }
bool IsMarker(PatternType r) {
  return r == PatternType::None || r == PatternType::Volition || r == PatternType::Initialize || r == PatternType::Finalize || r == PatternType::DoBefore ||
         r == PatternType::DoAfter || r >= PatternType::Count;
}

// The text a fixed fragment looks for, as the search compares it; empty
// when it can never be found.
std::string SearchKey(const WordFragmentClass& f) {
  if (f.Relation == PatternType::CustomSub) return UpperCase(f.WordFrag);
  return Trim(UpperCase(f.WordFrag));
}

// Scores a fixed pattern with all its texts absent, and checks that no
// combination of found and absent texts can overflow 32 bits (such a
// pattern is left live, so that the error comes where it would).
bool AbsentScore(const PatternClass& p, int32_t& score) {
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  int64_t lo = 0, hi = 0, total = 0;
  int32_t order = kFirstPosition, position = kFirstPosition;
  for (const auto& f : p.Fragments) {
    int64_t found = 0, absent = 0;
    if (!IsMarker(f->Relation)) {
      found = RelationScore(f->Relation, true, f->Bonus, f->Penalty);
      absent = RelationScore(f->Relation, false, f->Bonus, f->Penalty);
      // A fragment's own score past 32 bits (minus the most negative
      // penalty) is an overflow whatever the sum.
      if (std::max(found, absent) > kMax) return false;
    }
    lo += std::min(found, absent);
    hi += std::max(found, absent);
    if (lo < kMin || hi > kMax) return false;
    total += absent;
    if (SearchesWithPosition(f->Relation) && !SearchKey(*f).empty()) position = 0;
    order = NextOrder(order, position);
  }
  const int64_t inOrder = OrderScore(kFirstPosition, p.OrderBonus, p.OrderPenalty);
  const int64_t outOfOrder = OrderScore(kOutOfOrder, p.OrderBonus, p.OrderPenalty);
  if (lo + std::min(inOrder, outOfOrder) < kMin || hi + std::max(inOrder, outOfOrder) > kMax) return false;
  total += OrderScore(order, p.OrderBonus, p.OrderPenalty);
  score = static_cast<int32_t>(total);
  return true;
}

// Patterns appended since the index was built are scored in full; once
// there are more of them than this, rebuilding costs less than scoring them
// input after input (a rebuild costs about as much as scoring every
// pattern a few thousand times over).
std::size_t AppendLimit(std::size_t covered) {
  return static_cast<std::size_t>(8 + 4 * std::sqrt(static_cast<double>(covered)));
}
// Calls f(key id) for each text a fixed pattern searches, adding new texts
// to the automaton.
template <class F>
void EachKey(AhoCorasick& automaton, const PatternClass& p, F&& f) {
  for (const auto& fr : p.Fragments) {
    if (IsMarker(fr->Relation)) continue;
    const std::string key = SearchKey(*fr);
    if (!key.empty()) f(automaton.Add(key));
  }
}

std::unique_ptr<KnowledgeIndex> Build(const KnowledgeClass& k) {
  auto idx = std::make_unique<KnowledgeIndex>();
  const std::size_t n = k.Patterns.size();
  idx->BuiltAtVersion = k.Version;
  idx->PatternsCovered = n;
  idx->MaxAppended = AppendLimit(n);
  idx->candidate.assign((n + 63) / 64, 0);
  std::vector<int32_t> absentScore(n, 0);
  // Per text: how many patterns hold it, and the last of them.
  std::vector<uint32_t> holders, lastHolder;
  const WordFragmentClass* last = nullptr;
  for (std::size_t i = 0; i < n; ++i) {
    const PatternClass& p = *k.Patterns[i];
    const WordFragmentClass* before = last;
    if (!p.Fragments.empty()) last = p.Fragments.back().get();
    bool fixed = true;
    for (const auto& f : p.Fragments) {
      const bool searches = SearchesWithPosition(f->Relation) || f->Relation == PatternType::CustomSub;
      if (!(searches || IsMarker(f->Relation)) || (searches && f->WordFrag.view().find('^') != std::string_view::npos)) {
        fixed = false;
        break;
      }
    }
    if (fixed) fixed = AbsentScore(p, absentScore[i]);
    if (!fixed) {
      idx->livePatterns.push_back(static_cast<uint32_t>(i));
      idx->liveFragmentBefore.push_back(before);
      continue;
    }
    EachKey(idx->automaton, p, [&](uint32_t key) {
      if (key == holders.size()) {
        holders.push_back(0);
        lastHolder.push_back(AhoCorasick::kNone);
      }
      if (lastHolder[key] != i) {
        lastHolder[key] = static_cast<uint32_t>(i);
        ++holders[key];
      }
    });
    idx->byAbsentScore.push_back(static_cast<uint32_t>(i));
  }
  idx->lastFragment = last;

  // What each text reports: its one pattern, or a list in `shared` (count,
  // then the patterns in mode order, filled by a second pass).
  std::vector<uint32_t> report(holders.size());
  bool anyShared = false;
  for (std::size_t key = 0; key < holders.size(); ++key) {
    if (holders[key] == 1) {
      report[key] = lastHolder[key];
      continue;
    }
    if (idx->shared.size() + holders[key] + 1 >= KnowledgeIndex::kShared) throw std::length_error("mode too large");
    report[key] = KnowledgeIndex::kShared | static_cast<uint32_t>(idx->shared.size());
    idx->shared.push_back(holders[key]);
    holders[key] = static_cast<uint32_t>(idx->shared.size());  // from now on: where the next pattern goes
    idx->shared.resize(idx->shared.size() + idx->shared.back());
    anyShared = true;
  }
  std::vector<uint32_t>().swap(lastHolder);
  if (anyShared) {
    for (uint32_t i : idx->byAbsentScore) {
      EachKey(idx->automaton, *k.Patterns[i], [&](uint32_t key) {
        if (!(report[key] & KnowledgeIndex::kShared)) return;
        const uint32_t first = (report[key] & ~KnowledgeIndex::kShared) + 1;
        uint32_t& next = holders[key];
        if (next > first && idx->shared[next - 1] == i) return;  // the pattern holds the text twice
        idx->shared[next++] = i;
      });
    }
  }
  std::vector<uint32_t>().swap(holders);
  idx->automaton.Build();
  idx->automaton.ReplaceKeys(report);

  std::stable_sort(idx->byAbsentScore.begin(), idx->byAbsentScore.end(),
                   [&](uint32_t a, uint32_t b) { return absentScore[a] > absentScore[b]; });
  for (std::size_t j = 0; j < idx->byAbsentScore.size(); ++j) {
    const int32_t score = absentScore[idx->byAbsentScore[j]];
    if (idx->runScore.empty() || idx->runScore.back() != score) {
      idx->runScore.push_back(score);
      idx->runEnd.push_back(0);
    }
    idx->runEnd.back() = static_cast<uint32_t>(j + 1);
  }
  return idx;
}

bool TooManyAppended(const KnowledgeClass& k, const KnowledgeIndex& idx) {
  return k.Patterns.size() > idx.PatternsCovered + idx.MaxAppended;
}

KnowledgeIndex& IndexOf(KnowledgeClass& k) {
  auto* idx = static_cast<KnowledgeIndex*>(k.Index.get());
  if (!idx || idx->BuiltAtVersion != k.Version || TooManyAppended(k, *idx)) {
    k.Index.reset();
    k.Index = Build(k);
    idx = static_cast<KnowledgeIndex*>(k.Index.get());
    ReturnFreeMemory();
  }
  return *idx;
}

}  // namespace

bool FastBestPattern(BrainClass& brain, KnowledgeClass& k, const std::string& input, int& bestIndex,
                     int32_t& bestScore) {
  // A tag in the input makes its expansion depend on the brain: score the
  // usual way.
  if (input.find('^') != std::string::npos) return false;
  KnowledgeIndex& idx = IndexOf(k);
  // The fixed patterns some of whose texts occur in the input.
  CandidateMarks marks(idx);
  const std::string upper = UpperCase(input);
  idx.automaton.Scan(upper, [&](uint32_t report) {
    if (!(report & KnowledgeIndex::kShared)) return marks.Add(report);
    const uint32_t at = report & ~KnowledgeIndex::kShared;
    for (uint32_t j = at + 1; j <= at + idx.shared[at]; ++j) marks.Add(idx.shared[j]);
  });
  std::vector<uint32_t>& candidates = marks.list;  // the order does not matter to the unmarking
  std::sort(candidates.begin(), candidates.end());

  // Score the candidates and the live patterns in mode order, as the full
  // pass would; before a live pattern, LastFragmentName holds what the
  // patterns before it would have left there, since its tags may read it.
  int32_t best = kScoreFloor;
  int winner = -1;
  std::size_t c = 0, l = 0;
  while (c < candidates.size() || l < idx.livePatterns.size()) {
    const bool takeLive = c == candidates.size() || (l < idx.livePatterns.size() && idx.livePatterns[l] < candidates[c]);
    const uint32_t i = takeLive ? idx.livePatterns[l] : candidates[c++];
    if (takeLive) {
      if (const WordFragmentClass* before = idx.liveFragmentBefore[l]) brain.LastFragmentName = before->ObjectName;
      ++l;
    }
    const int32_t s = Score(brain, *k.Patterns[i], input);
    if (s > best) {  // in mode order, so a tie keeps the earlier pattern
      best = s;
      winner = static_cast<int>(i);
    }
  }
  // The patterns appended since the index was built, in full and in order.
  const WordFragmentClass* previous = idx.lastFragment;
  for (std::size_t i = idx.PatternsCovered; i < k.Patterns.size(); ++i) {
    PatternClass& p = *k.Patterns[i];
    if (previous) brain.LastFragmentName = previous->ObjectName;
    const int32_t s = Score(brain, p, input);
    if (s > best) {
      best = s;
      winner = static_cast<int>(i);
    }
    if (!p.Fragments.empty()) previous = p.Fragments.back().get();
  }
  // The best of the fixed patterns none of whose texts occur.
  for (std::size_t j = 0, run = 0; j < idx.byAbsentScore.size(); ++j) {
    const uint32_t i = idx.byAbsentScore[j];
    if (idx.IsCandidate(i)) continue;
    while (idx.runEnd[run] <= j) ++run;
    const int32_t s = idx.runScore[run];
    if (s > best || (s == best && winner >= 0 && static_cast<int>(i) < winner)) {
      best = s;
      winner = static_cast<int>(i);
    }
    break;
  }
  if (previous) brain.LastFragmentName = previous->ObjectName;
  bestIndex = winner;
  bestScore = best;
  return true;
}

}  // namespace varnex
