// Every clause is made from its own random generator, seeded by the brain's
// seed and the clause's number, so that inputs can be built from any clause
// without keeping the brain in memory, and a chain of Submit This answers
// can look at the clauses it passes through.
#include "bench/realistic_brain.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>

namespace varnex {
namespace {

// The twenty most common words, used with a flatter frequency than the rest.
const char* const kCommon[] = {"IS",   "A",  "YOU", "I",  "THE", "WHAT", "DO", "ARE",  "IT",  "TO",
                               "MY",   "ME", "OF",  "IN", "AND", "THAT", "HOW", "CAN", "NOT", "YOUR"};
constexpr int kCommonCount = 20;
constexpr int kVocabulary = 20000;  // the rarer words
// The chance that a word of a clause is one of the common ones: with about
// four words a clause, the commonest is in about 30% of the clauses and the
// twentieth in about 6%.
constexpr double kCommonShare = 0.56;

// A distinct letters-only word for every number of the rarer vocabulary:
// consonant-vowel syllables, so that words often hold others (as real words
// do) and whole-word matching has work to do.
std::string RareWord(int n) {
  static const char kConsonants[] = "BCDFGHKLMNPRSTVZ";
  static const char kVowels[] = "AEIOU";
  std::string w;
  do {
    w.push_back(kConsonants[n % 16]);
    n /= 16;
    w.push_back(kVowels[n % 5]);
    n /= 5;
  } while (n);
  return w;
}

// A small, fast generator (splitmix64): a brain of a million clauses makes
// a few generators per clause.
class Random {
 public:
  using result_type = uint64_t;
  explicit Random(uint64_t seed) : state_(seed) {}
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~result_type{0}; }
  result_type operator()() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_;
};

// The generator of one purpose of one clause.
Random ClauseRandom(const RealisticShape& shape, int i, int purpose = 0) {
  return Random((uint64_t{shape.seed} << 40) ^ (uint64_t(static_cast<unsigned>(i)) << 4) ^ static_cast<uint64_t>(purpose));
}

class WordDraw {
 public:
  WordDraw() {
    std::vector<double> common(kCommonCount), rare(kVocabulary);
    for (int r = 0; r < kCommonCount; ++r) common[static_cast<std::size_t>(r)] = 1.0 / std::sqrt(r + 1.0);
    for (int r = 0; r < kVocabulary; ++r) rare[static_cast<std::size_t>(r)] = 1.0 / std::pow(r + 1.0, 1.05);
    common_ = std::discrete_distribution<int>(common.begin(), common.end());
    rare_ = std::discrete_distribution<int>(rare.begin(), rare.end());
  }
  std::string operator()(Random& rng) {
    if (std::uniform_real_distribution<double>(0, 1)(rng) < kCommonShare) return kCommon[common_(rng)];
    return RareWord(rare_(rng));
  }

 private:
  std::discrete_distribution<int> common_, rare_;
};

WordDraw& Draw() {
  static WordDraw draw;
  return draw;
}

int Between(Random& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

// How many words a clause has: four on average, one to eight.
int ClauseLength(Random& rng) {
  static std::discrete_distribution<int> lengths{5, 12, 20, 22, 18, 11, 7, 5};
  return lengths(rng) + 1;
}

// Whether clause i can be the target of a Submit This: such a clause ends
// with a word of its own, so that the input passed to it (its words and
// that one) is answered by it and by no other clause.
bool Addressable(const RealisticShape& shape, int i) {
  Random rng = ClauseRandom(shape, i, 3);
  return rng() % 4 == 0;
}
std::string OwnWord(int i) { return "ZQ" + RareWord(i); }

// The clause a Submit This answer of clause i passes its input to, or -1;
// chains are at most four deep.
int SubmitTarget(const RealisticShape& shape, int i, int& depth) {
  depth = 0;
  if (i == 0) return -1;
  Random rng = ClauseRandom(shape, i, 1);
  if (std::uniform_real_distribution<double>(0, 1)(rng) >= 0.2) return -1;
  // The nearest addressable clause before a random one.
  int target = Between(rng, 0, i - 1);
  while (target >= 0 && !Addressable(shape, target)) --target;
  if (target < 0) return -1;
  int targetDepth = 0;
  SubmitTarget(shape, target, targetDepth);
  if (targetDepth >= 4) return -1;
  depth = targetDepth + 1;
  return target;
}

}  // namespace

RealisticClause MakeRealisticClause(const RealisticShape& shape, int i) {
  Random rng = ClauseRandom(shape, i);
  RealisticClause c;
  const int n = ClauseLength(rng);
  while (static_cast<int>(c.words.size()) < n) {
    std::string w = Draw()(rng);
    bool again = false;
    for (const auto& x : c.words) again = again || x == w;
    if (again) continue;
    c.words.push_back(w);
    const int r = Between(rng, 1, 100);
    c.relations.push_back(r <= 85 ? "AND" : r <= 93 ? "OR" : r <= 97 ? "NOT" : "CUSTOM-Sub");
  }
  if (Addressable(shape, i)) {
    c.words.push_back(OwnWord(i));
    c.relations.push_back("AND");
  }
  int depth = 0;
  const int target = SubmitTarget(shape, i, depth);
  if (target >= 0) {
    // The target's words that it wants present, so that it answers.
    const RealisticClause t = MakeRealisticClause(shape, target);
    for (std::size_t w = 0; w < t.words.size(); ++w)
      if (t.relations[w] != "NOT") c.submitted += (c.submitted.empty() ? "" : " ") + t.words[w];
  }
  return c;
}

bool WriteRealisticBrain(const std::string& path, const RealisticShape& shape) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "State {Curious}\nFact {mood} = {calm}\n");
  for (int i = 0; i < shape.clauses; ++i) {
    const RealisticClause c = MakeRealisticClause(shape, i);
    Random rng = ClauseRandom(shape, i, 2);
    std::fprintf(f, "For-Mode %d,%d\n", Between(rng, 5, 50), Between(rng, 0, 30));
    // A few clauses also test a fact or the state.
    const int kind = Between(rng, 1, 1000);
    if (kind <= 2) std::fprintf(f, "  Fragment Data-Match,40,10, {}, {mood}, {calm}\n");
    if (kind == 3) std::fprintf(f, "  Fragment State-Match,40,10, {}, {Curious}, {}\n");
    for (std::size_t w = 0; w < c.words.size(); ++w) {
      const bool custom = c.relations[w] == "CUSTOM-Sub";
      std::fprintf(f, "  Fragment %s,%d,%d, {%s}, {}, {}\n", c.relations[w].c_str(), custom ? 60 : 0, custom ? 20 : 0,
                   c.words[w].c_str());
    }
    if (c.submitted.empty())
      std::fprintf(f, "  Response {Answer %d},Just Text,{},{}\n", i);
    else
      std::fprintf(f, "  Response {},Submit This,{%s},{}\n", c.submitted.c_str());
  }
  return std::fclose(f) == 0;
}

std::vector<std::string> RealisticInputs(const RealisticShape& shape, int count) {
  Random rng(uint64_t{shape.seed} * 7919u + 17u);
  std::vector<std::string> inputs;
  for (int n = 0; n < count; ++n) {
    std::vector<std::string> words;
    const int kind = Between(rng, 1, 100);
    const int length = Between(rng, 3, 12);
    if (kind <= 40) {
      // A clause's words in order, with a few others around them.
      const RealisticClause c = MakeRealisticClause(shape, Between(rng, 0, shape.clauses - 1));
      words = c.words;
      while (static_cast<int>(words.size()) < length)
        words.insert(words.begin() + Between(rng, 0, static_cast<int>(words.size())), Draw()(rng));
    } else if (kind <= 65) {
      for (int i = 0; i < length; ++i) words.push_back(kCommon[Between(rng, 0, kCommonCount - 1)]);
    } else if (kind <= 85) {
      for (int i = 0; i < length; ++i) words.push_back(Draw()(rng));
    } else {
      for (int i = 0; i < length; ++i) words.push_back("XQ" + RareWord(Between(rng, 0, 999)));
    }
    std::string s;
    for (const auto& w : words) s += (s.empty() ? "" : " ") + w;
    // People type in lower case as often as not.
    if (Between(rng, 0, 1))
      for (char& ch : s) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
    inputs.push_back(s);
  }
  return inputs;
}

}  // namespace varnex
