// The mode's index and the fast way to answer: the same winner, score,
// trace lines, LastFragmentName and errors, in the same order, as scoring
// every clause, with work that follows the clauses that can still win.
//
// A clause is *fixed* when each fragment looks for a fixed text (AND, OR,
// NOT, CUSTOM, CUSTOM-Sub without a tag), tests a fixed fact value or state
// (Data-Match, State-Match without a tag, in a mode where no EXTRACT can
// change a fact while the mode is scored), or only marks the clause. A
// fixed clause's score then follows from which of its *keys* hold for the
// input, and from where the words were found; scoring it has no effect but
// on LastFragmentName. A key is a text to find as a word (for AND, OR, NOT
// and CUSTOM), a text to find anywhere (CUSTOM-Sub), or a fact or state
// test; texts are upper-cased as the search compares them. Every other clause is *live* and is
// scored the reference way, in mode order.
//
// For each input: one pass of an automaton over the upper-cased input finds
// the keys that occur. Keys are numbered from the rarest (held by the
// fewest clauses) to the commonest, and each fixed clause is listed under
// each of its keys with a bound: the best score the clause can reach when
// none of its rarer keys occurs. The occurring keys are visited from the
// rarest, each list in order of falling bound, and a list is left as soon
// as its bound cannot beat the best score found so far: a clause met there
// either was met under a rarer key already, or has none of its rarer keys
// in the input and so cannot score above the bound. Common words are held
// by many clauses, but by then the best score is usually high, and their
// lists end after a few entries. A clause none of whose keys occurs scores
// what it scores with every key absent, known in advance.
//
// The index is valid while the mode's Version has not moved since it was
// built; clauses appended after that are scored in full until there are
// enough of them to rebuild.
#include "engine/matching/fast_answer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "engine/base/find_word.h"
#include "engine/base/text_search.h"
#include "engine/matching/aho_corasick.h"
#include "engine/matching/score.h"
#include "engine/matching/score_rules.h"
#include "engine/records/type_names.h"
#include "platform/memory.h"

namespace varnex {
namespace {

constexpr uint32_t kNoKey = 0xFFFFFFFFu;

bool SearchesWithPosition(PatternType r) {
  return r == PatternType::And || r == PatternType::Or || r == PatternType::Not || r == PatternType::Custom;
}
bool SearchesText(PatternType r) { return SearchesWithPosition(r) || r == PatternType::CustomSub; }
bool TestsBrain(PatternType r) { return r == PatternType::DataMatch || r == PatternType::StateMatch; }
bool IsMarker(PatternType r) {
  return r == PatternType::None || r == PatternType::Volition || r == PatternType::Initialize ||
         r == PatternType::Finalize || r == PatternType::DoBefore || r == PatternType::DoAfter ||
         r >= PatternType::Count;
}
bool HasTag(const Text& t) { return t.view().find('^') != std::string_view::npos; }

// The text a fragment that searches looks for, as the search compares it;
// empty when it can never be found. Valid until the next call.
std::string_view SearchKey(const WordFragmentClass& f) {
  thread_local std::string key;
  // Trimming before or after upper-casing is the same: only a-z change.
  key.assign(f.Relation == PatternType::CustomSub ? f.WordFrag.view() : TrimView(f.WordFrag.view()));
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

// A fact or state test, as a key: which fact and which value, or which
// state, compared without regard to case.
struct BrainTest {
  bool state = false;
  std::string name;   // the fact's name, or the state's
  std::string value;  // the fact value looked for
};
std::string BrainTestKey(const WordFragmentClass& f) {
  if (f.Relation == PatternType::StateMatch) return std::string("S\n") + UpperCase(f.TheName);
  return std::string("F\n") + UpperCase(f.TheName) + '\n' + UpperCase(f.TheValue);
}

class KnowledgeIndex : public DerivedIndex {
 public:
  // Finds the texts in the upper-cased input; reports text numbers. Each
  // text is the key of the fragments that find it as a word, of those that
  // find it anywhere, or of both.
  AhoCorasick automaton;
  std::vector<uint32_t> wordKey, occurrenceKey;  // by text number, or kNoKey
  // The fact and state tests, by key number.
  std::vector<std::pair<uint32_t, BrainTest>> brainTests;
  // Each fixed clause's keys, one per fragment in fragment order (kNoKey
  // for a fragment without one): keys[keysBegin[c] ..).
  std::vector<uint32_t> keysBegin;
  std::vector<uint32_t> keys;
  // The lists: key k's entries are postings[postingsBegin[k] ..
  // postingsBegin[k + 1]), falling bound first, then in mode order.
  struct Posting {
    uint32_t clause;
    int32_t bound;
    uint32_t bounds;  // where the clause's bounding data begins
    // The clause's next two commoner keys, what each would gain, and what
    // the order term loses if a key that reports a position is absent: a
    // cheap second look before the clause's own data is read. The gains
    // are kept no larger than they are, so the look never bounds too low.
    uint32_t next[2];
    uint16_t gain[2];
    uint16_t orderGap;
    uint8_t flags;  // kBroken, kPositional << 0 or 1
  };
  static constexpr uint8_t kBroken = 1, kPositional = 2;
  // Each fixed clause's distinct keys with what each can gain, and its best
  // score with every key holding: enough to bound it closely from the keys
  // that hold, before its records are read. One block of words per clause,
  // so that a look costs one read of memory: the best score with every key
  // found (before the order term), the order term in order and out of
  // order, the number of keys, then each key and its gain (found over
  // absent, the high bit set for a key that reports a position).
  std::vector<uint32_t> bounds;
  // Scratch: one bit per key, set while the key holds for the current input.
  std::vector<uint64_t> holding;
  bool Holding(uint32_t key) const { return holding[key >> 6] >> (key & 63) & 1; }
  std::vector<uint32_t> postingsBegin;
  std::vector<Posting> postings;
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
  // Scratch: one bit per pattern, set once the current input scored it.
  std::vector<uint64_t> scored;
  bool IsScored(uint32_t p) const { return scored[p >> 6] >> (p & 63) & 1; }
  void Mark(uint32_t p) { scored[p >> 6] |= uint64_t{1} << (p & 63); }
  void Unmark(uint32_t p) { scored[p >> 6] &= ~(uint64_t{1} << (p & 63)); }
  bool IsFixed(uint32_t p) const { return keysBegin[p] != kNoKey; }
  std::size_t KeyCount() const { return postingsBegin.empty() ? 0 : postingsBegin.size() - 1; }
};

// Clears the marks of one input however its scoring ends (an overflow in a
// live clause leaves the cycle early).
class ScoredMarks {
 public:
  explicit ScoredMarks(KnowledgeIndex& idx) : idx_(idx) {}
  ~ScoredMarks() {
    for (uint32_t p : list_) idx_.Unmark(p);
  }
  ScoredMarks(const ScoredMarks&) = delete;
  ScoredMarks& operator=(const ScoredMarks&) = delete;
  // True the first time a clause is marked.
  bool Add(uint32_t p) {
    if (idx_.IsScored(p)) return false;
    idx_.Mark(p);
    list_.push_back(p);
    return true;
  }

 private:
  KnowledgeIndex& idx_;
  std::vector<uint32_t> list_;
};

// What one fragment adds found and absent, the rules of score_rules.h.
int64_t Found(const WordFragmentClass& f) { return RelationScore(f.Relation, true, f.Bonus, f.Penalty); }
int64_t Absent(const WordFragmentClass& f) {
  // A marker adds nothing either way.
  return IsMarker(f.Relation) ? 0 : RelationScore(f.Relation, false, f.Bonus, f.Penalty);
}

// Whether a pattern can be scored from its keys, and its score with every
// key absent. A pattern that some combination of found and absent texts
// could make overflow 32 bits is left live, so that the error comes where
// it would.
bool FixedScore(const PatternClass& p, bool brainTestsFixed, int32_t& absentScore) {
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  int64_t lo = 0, hi = 0, total = 0;
  int32_t order = kFirstPosition, position = kFirstPosition;
  for (const auto& f : p.Fragments) {
    const PatternType r = f->Relation;
    if (SearchesText(r)) {
      if (HasTag(f->WordFrag)) return false;
    } else if (TestsBrain(r)) {
      if (!brainTestsFixed || HasTag(r == PatternType::DataMatch ? f->TheValue : f->TheName)) return false;
    } else if (!IsMarker(r)) {
      return false;
    }
    const int64_t found = IsMarker(r) ? 0 : Found(*f), absent = Absent(*f);
    // A fragment's own score past 32 bits (minus the most negative
    // penalty) is an overflow whatever the sum.
    if (std::max(found, absent) > kMax) return false;
    lo += std::min(found, absent);
    hi += std::max(found, absent);
    if (lo < kMin || hi > kMax) return false;
    total += absent;
    // Trimming before or after upper-casing is the same: only a-z change.
    if (SearchesWithPosition(r) && !TrimView(f->WordFrag.view()).empty()) position = 0;
    order = NextOrder(order, position);
  }
  const int64_t inOrder = OrderScore(kFirstPosition, p.OrderBonus, p.OrderPenalty);
  const int64_t outOfOrder = OrderScore(kOutOfOrder, p.OrderBonus, p.OrderPenalty);
  if (lo + std::min(inOrder, outOfOrder) < kMin || hi + std::max(inOrder, outOfOrder) > kMax) return false;
  total += OrderScore(order, p.OrderBonus, p.OrderPenalty);
  absentScore = static_cast<int32_t>(total);
  return true;
}

// Patterns appended since the index was built are scored in full; once
// there are more of them than this, rebuilding costs less than scoring them
// input after input (a rebuild costs about as much as scoring every
// pattern a few thousand times over).
std::size_t AppendLimit(std::size_t covered) {
  return static_cast<std::size_t>(8 + 4 * std::sqrt(static_cast<double>(covered)));
}

// The key of each fragment of a fixed pattern, numbered as met: the text
// of automaton handle h gives the word key 2h and the occurrence key
// 2h + 1 (until the automaton numbers the texts); the brain tests, flagged,
// are numbered apart until all are known.
constexpr uint32_t kBrainTestFlag = 0x80000000u;

uint32_t FragmentKey(KnowledgeIndex& idx, std::unordered_map<std::string, uint32_t>& brainTestIds,
                     std::vector<BrainTest>& tests, const WordFragmentClass& f) {
  if (SearchesText(f.Relation)) {
    const std::string_view key = SearchKey(f);
    if (key.empty()) return kNoKey;
    const uint32_t handle = idx.automaton.Add(key);
    if (handle >= kBrainTestFlag / 2) throw std::length_error("mode too large");
    return 2 * handle + (f.Relation == PatternType::CustomSub ? 1 : 0);
  }
  if (!TestsBrain(f.Relation)) return kNoKey;
  auto [it, added] = brainTestIds.emplace(BrainTestKey(f), static_cast<uint32_t>(tests.size()));
  if (added) {
    const bool state = f.Relation == PatternType::StateMatch;
    tests.push_back(BrainTest{state, std::string(f.TheName), state ? std::string() : UpperCase(f.TheValue)});
  }
  return it->second | kBrainTestFlag;
}

// Lists a fixed pattern under each of its keys, with the bound of each
// entry: the best score when none of the pattern's rarer keys holds.
template <class Out>
void ListUnderKeys(KnowledgeIndex& idx, const PatternClass& p, uint32_t clause, Out&& out) {
  const uint32_t* keys = idx.keys.data() + idx.keysBegin[clause];
  const std::size_t n = p.Fragments.size();
  // The pattern's distinct keys, rarest first, with what each can gain.
  struct KeyGain {
    uint32_t key;
    int64_t gain;      // found over absent, for all its fragments
    bool positional;   // one of its fragments reports a position
  };
  thread_local std::vector<KeyGain> gains;
  gains.clear();
  int64_t best = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const WordFragmentClass& f = *p.Fragments[j];
    const int64_t found = IsMarker(f.Relation) ? 0 : Found(f), absent = Absent(f);
    if (keys[j] == kNoKey) {
      best += absent;  // a marker, or a text that can never be found
      continue;
    }
    best += std::max(found, absent);
    auto it = std::find_if(gains.begin(), gains.end(), [&](const KeyGain& g) { return g.key == keys[j]; });
    if (it == gains.end()) it = gains.insert(gains.end(), KeyGain{keys[j], 0, false});
    it->gain += std::max(found, absent) - absent;
    it->positional = it->positional || SearchesWithPosition(f.Relation);
  }
  std::sort(gains.begin(), gains.end(), [](const KeyGain& a, const KeyGain& b) { return a.key < b.key; });
  const int64_t orderBest = std::max(OrderScore(kFirstPosition, p.OrderBonus, p.OrderPenalty),
                                     OrderScore(kOutOfOrder, p.OrderBonus, p.OrderPenalty));
  const int64_t orderBroken = OrderScore(kOutOfOrder, p.OrderBonus, p.OrderPenalty);
  // Every bound fits 32 bits: the pattern was checked for overflow, and
  // every gain is below 2^31.
  const uint32_t at = static_cast<uint32_t>(idx.bounds.size());
  auto put = [&](int64_t v) { idx.bounds.push_back(static_cast<uint32_t>(static_cast<int32_t>(v))); };
  put(best);
  put(orderBest);
  put(orderBroken);
  put(static_cast<int64_t>(gains.size()));
  for (const KeyGain& g : gains) {
    idx.bounds.push_back(g.key);
    idx.bounds.push_back(static_cast<uint32_t>(g.gain) | (g.positional ? 0x80000000u : 0u));
  }
  bool broken = false;  // a rarer positional key is absent
  const auto small = [](int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 65535)); };
  for (std::size_t g = 0; g < gains.size(); ++g) {
    const int64_t bound = best + (broken ? orderBroken : orderBest);
    KnowledgeIndex::Posting posting{clause, static_cast<int32_t>(bound), at, {kNoKey, kNoKey}, {0, 0},
                                    small(orderBest - orderBroken), static_cast<uint8_t>(broken ? KnowledgeIndex::kBroken : 0)};
    for (std::size_t n = 0; n < 2 && g + 1 + n < gains.size(); ++n) {
      posting.next[n] = gains[g + 1 + n].key;
      posting.gain[n] = small(gains[g + 1 + n].gain);
      if (gains[g + 1 + n].positional) posting.flags |= static_cast<uint8_t>(KnowledgeIndex::kPositional << n);
    }
    out(gains[g].key, posting);
    // For the next key: this one is absent.
    best -= gains[g].gain;
    broken = broken || gains[g].positional;
  }
}

// A posting's bound, lowered by its next keys that do not hold.
int64_t LooseBound(const KnowledgeIndex& idx, const KnowledgeIndex::Posting& p) {
  int64_t bound = p.bound;
  bool orderLost = false;
  for (int n = 0; n < 2; ++n) {
    if (p.next[n] == kNoKey || idx.Holding(p.next[n])) continue;
    bound -= p.gain[n];
    orderLost = orderLost || (p.flags & (KnowledgeIndex::kPositional << n));
  }
  if (orderLost && !(p.flags & KnowledgeIndex::kBroken)) bound -= p.orderGap;
  return bound;
}

// The best score a fixed clause can reach with the keys that hold now.
int32_t ClauseUpperBound(const KnowledgeIndex& idx, uint32_t at) {
  const uint32_t* w = &idx.bounds[at];
  int64_t best = static_cast<int32_t>(w[0]);
  bool broken = false;
  const uint32_t* key = w + 4;
  for (const uint32_t* end = key + 2 * w[3]; key != end; key += 2) {
    if (idx.Holding(key[0])) continue;
    best -= key[1] & 0x7FFFFFFFu;
    broken = broken || (key[1] & 0x80000000u);
  }
  return static_cast<int32_t>(best + static_cast<int32_t>(broken ? w[2] : w[1]));
}

std::unique_ptr<KnowledgeIndex> Build(const KnowledgeClass& k) {
  auto idx = std::make_unique<KnowledgeIndex>();
  const std::size_t n = k.Patterns.size();
  idx->BuiltAtVersion = k.Version;
  idx->PatternsCovered = n;
  idx->MaxAppended = AppendLimit(n);
  idx->scored.assign((n + 63) / 64, 0);
  idx->keysBegin.assign(n, kNoKey);
  // An EXTRACT fragment can change a fact while the mode is scored; the
  // fact tests of such a mode are scored in their turn, as live.
  bool extracts = false;
  for (std::size_t i = 0; i < n && !extracts; ++i)
    for (const auto& f : k.Patterns[i]->Fragments) extracts = extracts || f->Relation == PatternType::Extract;

  std::vector<int32_t> absentScore(n, 0);
  {
    std::size_t fragments = 0;
    for (std::size_t i = 0; i < n; ++i) fragments += k.Patterns[i]->Fragments.size();
    idx->keys.reserve(fragments);
  }
  std::unordered_map<std::string, uint32_t> brainTestIds;
  std::vector<BrainTest> tests;
  const WordFragmentClass* last = nullptr;
  for (std::size_t i = 0; i < n; ++i) {
    const PatternClass& p = *k.Patterns[i];
    const WordFragmentClass* before = last;
    if (!p.Fragments.empty()) last = p.Fragments.back().get();
    if (!FixedScore(p, !extracts, absentScore[i])) {
      idx->livePatterns.push_back(static_cast<uint32_t>(i));
      idx->liveFragmentBefore.push_back(before);
      continue;
    }
    idx->keysBegin[i] = static_cast<uint32_t>(idx->keys.size());
    for (const auto& f : p.Fragments) idx->keys.push_back(FragmentKey(*idx, brainTestIds, tests, *f));
    idx->byAbsentScore.push_back(static_cast<uint32_t>(i));
  }
  idx->lastFragment = last;
  std::unordered_map<std::string, uint32_t>().swap(brainTestIds);
  // The automaton makes one text of equal keys: from handles to texts.
  {
    const std::vector<uint32_t> textOf = idx->automaton.Build();
    for (uint32_t& key : idx->keys)
      if (key != kNoKey && !(key & kBrainTestFlag)) key = 2 * textOf[key / 2] + key % 2;
  }

  // Number the keys from the rarest: by how many patterns hold them.
  const std::size_t texts = idx->automaton.KeyCount(), textKeys = 2 * texts, allKeys = textKeys + tests.size();
  auto unified = [&](uint32_t key) { return key & kBrainTestFlag ? static_cast<uint32_t>(textKeys) + (key & ~kBrainTestFlag) : key; };
  std::vector<uint32_t> holders(allKeys, 0), lastHolder(allKeys, kNoKey);
  std::size_t boundWords = 0;  // each clause's bounding block: 4 words, then 2 per distinct key
  for (uint32_t i : idx->byAbsentScore) {
    boundWords += 4;
    for (uint32_t j = idx->keysBegin[i]; j < idx->keysBegin[i] + k.Patterns[i]->Fragments.size(); ++j) {
      if (idx->keys[j] == kNoKey) continue;
      const uint32_t key = unified(idx->keys[j]);
      if (lastHolder[key] != i) {
        lastHolder[key] = i;
        ++holders[key];
        boundWords += 2;
      }
    }
  }
  std::vector<uint32_t>().swap(lastHolder);
  // The index is the largest thing a big brain makes after its records:
  // its arrays are made to measure rather than grown.
  idx->bounds.reserve(boundWords);
  // Numbered by counting, rarest first, ties in order of first use; keys no
  // pattern holds (the unused kind of a text) stay unnumbered.
  std::vector<uint32_t> number(allKeys, kNoKey);
  std::vector<uint32_t> postingsBegin;  // by number, once numbered
  std::size_t usedKeys = 0;
  {
    uint32_t most = 0;
    for (uint32_t h : holders) most = std::max(most, h);
    std::vector<uint32_t> firstOfCount(static_cast<std::size_t>(most) + 2, 0);
    for (uint32_t h : holders)
      if (h > 0) ++firstOfCount[h + 1];
    for (std::size_t c = 1; c < firstOfCount.size(); ++c) firstOfCount[c] += firstOfCount[c - 1];
    usedKeys = firstOfCount.back();
    postingsBegin.assign(usedKeys + 1, 0);
    for (uint32_t key = 0; key < allKeys; ++key) {
      if (holders[key] == 0) continue;
      number[key] = firstOfCount[holders[key]]++;
      postingsBegin[number[key] + 1] = holders[key];  // each holder lists the pattern once
    }
  }
  uint64_t total = 0;
  for (uint32_t h : holders) total += h;
  if (total >= std::numeric_limits<uint32_t>::max()) throw std::length_error("mode too large");
  std::vector<uint32_t>().swap(holders);
  for (std::size_t key = 0; key < usedKeys; ++key) postingsBegin[key + 1] += postingsBegin[key];
  for (uint32_t& key : idx->keys)
    if (key != kNoKey) key = number[unified(key)];
  for (std::size_t t = 0; t < tests.size(); ++t) idx->brainTests.emplace_back(number[textKeys + t], std::move(tests[t]));
  idx->wordKey.resize(texts);
  idx->occurrenceKey.resize(texts);
  for (std::size_t t = 0; t < texts; ++t) {
    idx->wordKey[t] = number[2 * t];
    idx->occurrenceKey[t] = number[2 * t + 1];
  }
  std::vector<uint32_t>().swap(number);

  // The lists: each pattern's entries written in place (every key's count is
  // known), in mode order, then each list by falling bound (a stable sort
  // keeps mode order among equal bounds).
  idx->holding.assign((usedKeys + 63) / 64, 0);
  idx->postings.resize(postingsBegin.back());
  {
    std::vector<uint32_t> next(postingsBegin.begin(), postingsBegin.end() - 1);
    for (uint32_t i : idx->byAbsentScore)
      ListUnderKeys(*idx, *k.Patterns[i], i, [&](uint32_t key, const KnowledgeIndex::Posting& p) {
        idx->postings[next[key]++] = p;
      });
  }
  idx->postingsBegin.swap(postingsBegin);
  for (std::size_t key = 0; key < usedKeys; ++key) {
    auto first = idx->postings.begin() + idx->postingsBegin[key], last = idx->postings.begin() + idx->postingsBegin[key + 1];
    if (last - first > 1)
      std::stable_sort(first, last,
                       [](const KnowledgeIndex::Posting& a, const KnowledgeIndex::Posting& b) { return a.bound > b.bound; });
  }

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

// What the current input makes of the keys: which hold, and where each word
// key's text was found as a word.
class KeysOfInput {
 public:
  KeysOfInput(BrainClass& brain, const KnowledgeClass& k, KnowledgeIndex& idx, std::string_view upper)
      : k_(k), idx_(idx), upper_(upper) {
    idx.automaton.Scan(upper, [&](uint32_t text) {
      if (idx.occurrenceKey[text] != kNoKey) Add(idx.occurrenceKey[text]);
      // A text that occurs only inside other words is not found as a word:
      // its word key does not hold.
      const uint32_t key = idx.wordKey[text];
      if (key == kNoKey || Find(key) || std::find(notWords_.begin(), notWords_.end(), key) != notWords_.end()) return;
      int32_t position = 0;
      if (FindUpperWord(TextOf(key), upper_, position))
        entries_.push_back(Entry{key, position});
      else
        notWords_.push_back(key);
    });
    for (const auto& [key, test] : idx.brainTests) {
      const bool holds = test.state ? UpperCase(test.name) == UpperCase(brain.CurrentStateName())
                                    : test.value == UpperCase(brain.GetFact(test.name));
      if (holds) Add(key);
    }
    for (const Entry& e : entries_) {
      occurring.push_back(e.key);
      idx.holding[e.key >> 6] |= uint64_t{1} << (e.key & 63);
    }
    std::sort(occurring.begin(), occurring.end());
  }
  ~KeysOfInput() {
    for (uint32_t key : occurring) idx_.holding[key >> 6] &= ~(uint64_t{1} << (key & 63));
  }
  KeysOfInput(const KeysOfInput&) = delete;
  KeysOfInput& operator=(const KeysOfInput&) = delete;

  // The keys that hold, rarest first.
  std::vector<uint32_t> occurring;

  bool Holds(uint32_t key) const { return idx_.Holding(key); }

  // A fragment's score and the position it leaves, as Match gives them.
  int64_t Score(const WordFragmentClass& f, uint32_t key, int32_t& position) {
    if (IsMarker(f.Relation)) return 0;
    if (key == kNoKey) return Absent(f);  // a text that can never be found
    const Entry* e = Find(key);
    if (!SearchesWithPosition(f.Relation)) return e ? Found(f) : Absent(f);
    // A word key holds only when found as a word, where it was found.
    position = e ? e->position : 0;
    return e ? Found(f) : Absent(f);
  }

 private:
  struct Entry {
    uint32_t key;
    int32_t position = 0;  // where a word key's text was found as a word
  };
  void Add(uint32_t key) {
    if (!Find(key)) entries_.push_back(Entry{key});
  }
  const Entry* Find(uint32_t key) const {
    // An input holds a few dozen keys at most: a linear search is quickest.
    for (const Entry& e : entries_)
      if (e.key == key) return &e;
    return nullptr;
  }
  // The text of a key, from the first pattern listed under it.
  std::string TextOf(uint32_t key) const {
    const uint32_t clause = idx_.postings[idx_.postingsBegin[key]].clause;
    const PatternClass& p = *k_.Patterns[clause];
    for (std::size_t j = 0; j < p.Fragments.size(); ++j)
      if (idx_.keys[idx_.keysBegin[clause] + j] == key) return std::string(SearchKey(*p.Fragments[j]));
    return {};
  }

  const KnowledgeClass& k_;
  KnowledgeIndex& idx_;
  std::string_view upper_;
  std::vector<Entry> entries_;
  std::vector<uint32_t> notWords_;  // word keys whose text occurs only inside other words
};

// A fixed pattern's score, from its keys: what Score gives it.
int32_t FixedPatternScore(const PatternClass& p, const uint32_t* keys, KeysOfInput& in) {
  int64_t total = 0;
  int32_t order = kFirstPosition, position = kFirstPosition;
  for (std::size_t j = 0; j < p.Fragments.size(); ++j) {
    total += in.Score(*p.Fragments[j], keys[j], position);
    order = NextOrder(order, position);
  }
  return static_cast<int32_t>(total + OrderScore(order, p.OrderBonus, p.OrderPenalty));
}

// The best so far, with the reference's tie rule: the earlier pattern.
struct Best {
  int32_t score = kScoreFloor;
  int winner = -1;
  void Offer(int32_t s, uint32_t i) {
    if (s > score || (s == score && winner >= 0 && static_cast<int>(i) < winner)) {
      score = s;
      winner = static_cast<int>(i);
    }
  }
  // Whether a pattern whose score is at most `bound` could still win.
  bool CouldWin(int32_t bound, uint32_t i) const {
    return bound > score || (bound == score && winner >= 0 && static_cast<int>(i) < winner);
  }
};

}  // namespace

void PrepareIndex(KnowledgeClass& knowledge) { IndexOf(knowledge); }

bool FastBestPattern(BrainClass& brain, KnowledgeClass& k, const std::string& input, int& bestIndex,
                     int32_t& bestScore) {
  // A tag in the input makes its expansion depend on the brain: score the
  // usual way.
  if (input.find('^') != std::string::npos) return false;
  KnowledgeIndex& idx = IndexOf(k);
  Best best;

  // The live patterns in mode order, as the full pass would score them;
  // before each, LastFragmentName holds what the patterns before it would
  // have left there, since its tags may read it.
  for (std::size_t l = 0; l < idx.livePatterns.size(); ++l) {
    if (const WordFragmentClass* before = idx.liveFragmentBefore[l]) brain.LastFragmentName = before->ObjectName;
    const uint32_t i = idx.livePatterns[l];
    best.Offer(Score(brain, *k.Patterns[i], input), i);
  }
  // The patterns appended since the index was built, in full and in order.
  const WordFragmentClass* previous = idx.lastFragment;
  for (std::size_t i = idx.PatternsCovered; i < k.Patterns.size(); ++i) {
    PatternClass& p = *k.Patterns[i];
    if (previous) brain.LastFragmentName = previous->ObjectName;
    best.Offer(Score(brain, p, input), static_cast<uint32_t>(i));
    if (!p.Fragments.empty()) previous = p.Fragments.back().get();
  }

  const std::string upper = UpperCase(input);
  KeysOfInput keys(brain, k, idx, upper);
  // The best of the fixed patterns none of whose keys holds: its score is
  // known in advance and sets the bar for the lists. It is looked for
  // first among a few patterns only: when the best absent scores belong to
  // patterns whose keys do hold (a brain whose clauses all share the
  // input's words), the lists set a bar that ends the search sooner.
  std::size_t absentAt = 0, absentRun = 0;
  bool absentDone = false;
  auto bestAbsent = [&](std::size_t looks) {
    for (; !absentDone && absentAt < idx.byAbsentScore.size() && looks > 0; ++absentAt, --looks) {
      while (idx.runEnd[absentRun] <= absentAt) ++absentRun;
      const uint32_t i = idx.byAbsentScore[absentAt];
      const int32_t score = idx.runScore[absentRun];
      if (!best.CouldWin(score, i)) {
        if (score < best.score) absentDone = true;
        continue;
      }
      const std::size_t fragments = k.Patterns[i]->Fragments.size();
      const uint32_t* ks = idx.keys.data() + idx.keysBegin[i];
      if (std::any_of(ks, ks + fragments, [&](uint32_t key) { return key != kNoKey && keys.Holds(key); })) continue;
      best.Offer(score, i);
      absentDone = true;
    }
  };
  bestAbsent(64);
  // The fixed patterns some of whose keys hold, from the rarest key, each
  // list as long as its bound can still win.
  ScoredMarks marks(idx);
  for (uint32_t key : keys.occurring) {
    const KnowledgeIndex::Posting* p = idx.postings.data() + idx.postingsBegin[key];
    const KnowledgeIndex::Posting* end = idx.postings.data() + idx.postingsBegin[key + 1];
    for (; p != end && best.CouldWin(p->bound, p->clause); ++p) {
      // Two cheaper looks first: the clause's next keys, then all its keys.
      if (!best.CouldWin(static_cast<int32_t>(LooseBound(idx, *p)), p->clause)) continue;
      if (!marks.Add(p->clause)) continue;
      const uint32_t i = p->clause;
      if (!best.CouldWin(ClauseUpperBound(idx, p->bounds), i)) continue;
      best.Offer(FixedPatternScore(*k.Patterns[i], idx.keys.data() + idx.keysBegin[i], keys), i);
    }
  }
  bestAbsent(std::numeric_limits<std::size_t>::max());
  if (previous) brain.LastFragmentName = previous->ObjectName;
  bestIndex = best.winner;
  bestScore = best.score;
  return true;
}

}  // namespace varnex
