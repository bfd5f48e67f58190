// One fragment against one input: what each relation looks for, and the
// score it gives found or absent (score_rules.h). Match also leaves the
// fragment's name in LastFragmentName, which tags of later fragments read.
#include "engine/matching/match.h"

#include <cstring>

#include "engine/records/navigation.h"
#include "engine/records/type_names.h"
#include "engine/matching/external_score.h"
#include "engine/matching/extract.h"
#include "engine/matching/score_rules.h"
#include "engine/base/find_word.h"
#include "engine/template/expand_tags.h"
#include "engine/base/find_word.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"

namespace varnex {

std::string ExpandForFragment(BrainClass& brain, const WordFragmentClass& f, std::string_view text,
                              std::string_view input) {
  return ExpandTags(brain, text, input, StepPatternOfFragment(&f), PatternOfFragment(&f));
}

namespace {

// The relation's score for a found or absent text, as every way of scoring
// gives it; a score past 32 bits is an overflow like any other.
int32_t Scored(const WordFragmentClass& f, bool found) {
  return Checked32(RelationScore(f.Relation, found, f.Bonus, f.Penalty));
}

// A word that is its own search key: upper case, trimmed and without a tag
// (as brains are mostly written). It is then searched for as it stands.
bool IsPlainKey(std::string_view word) {
  if (word.empty() || IsBlank(word.front()) || IsBlank(word.back())) return false;
  for (char c : word)
    if ((c >= 'a' && c <= 'z') || c == '^') return false;
  return true;
}

// The results of the word searches in one input. A mode's clauses search
// the same common words thousands of times in the same input, and a short
// word that occurs inside many other words costs a search of its own each
// time; the search is a function of the word and the text only, so its
// result is kept for as long as the input stays the same.
class WordSearches {
 public:
  bool Find(std::string_view W, const MatchText& in, int32_t& position) {
    // An empty word is never found and leaves the position as it was, which
    // is not a result to keep.
    if (W.empty() || W.size() > kLongest) return FindUpperWord(W, in.upper, position);
    if (in.generation != generation_) {
      generation_ = in.generation;
      ++stamp_;
    }
    Slot key{};
    std::memcpy(key.word, W.data(), W.size());
    key.length = static_cast<uint8_t>(W.size());
    uint64_t h = 1469598103934665603ull;
    for (char c : W) h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    for (std::size_t i = h & (kSlots - 1);; i = (i + 1) & (kSlots - 1)) {
      Slot& s = slots_[i];
      if (s.stamp != stamp_) {
        // Not searched yet in this input: search and keep the result. A
        // table that fills up is simply cleared.
        if (++used_ > kSlots / 2) {
          ++stamp_;
          used_ = 1;
        }
        key.stamp = stamp_;
        int32_t p = position;
        key.found = FindUpperWord(W, in.upper, p);
        key.position = p;
        s = key;
        position = p;
        return key.found;
      }
      if (s.length == key.length && std::memcmp(s.word, key.word, kLongest) == 0) {
        position = s.position;
        return s.found;
      }
    }
  }

 private:
  static constexpr std::size_t kLongest = 22;
  static constexpr std::size_t kSlots = 1024;
  struct Slot {
    char word[kLongest];
    uint8_t length;
    bool found;
    int32_t position;
    uint32_t stamp;
  };
  Slot slots_[kSlots] = {};
  uint32_t stamp_ = 1;
  uint64_t generation_ = 0;
  std::size_t used_ = 0;
};

bool FindInInput(std::string_view W, const MatchText& in, int32_t& position) {
  thread_local WordSearches searches;
  return searches.Find(W, in, position);
}

bool WordInInput(BrainClass& brain, const WordFragmentClass& f, const MatchText& in, int32_t& position) {
  const std::string_view word = f.WordFrag.view();
  // Texts without a tag expand to themselves: search them as they stand.
  if (in.plain) {
    if (IsPlainKey(word)) return FindInInput(word, in, position);
    if (word.find('^') == std::string_view::npos) return FindInInput(Trim(UpperCase(word)), in, position);
  }
  std::string expandedWord = ExpandForFragment(brain, f, word, in.text);
  std::string text = ExpandForFragment(brain, f, in.text, in.text);
  return FindWord(expandedWord, text, position);
}

bool TextInInput(BrainClass& brain, const WordFragmentClass& f, const MatchText& in) {
  const std::string_view word = f.WordFrag.view();
  if (in.plain && word.find('^') == std::string_view::npos) return FindText(word, in.text) != 0;
  std::string expandedWord = ExpandForFragment(brain, f, word, in.text);
  std::string text = ExpandForFragment(brain, f, in.text, in.text);
  return FindText(expandedWord, text) != 0;
}

bool AnyMemberIn(BrainClass& brain, const WordFragmentClass& f, std::string_view input, bool wholeWords) {
  DataCollectionClass* c = brain.FindCollection(f.TheName);
  if (!c) return false;
  return wholeWords ? c->HasMemberWord(input) : c->HasMemberIn(input);
}

int32_t FragmentScore(BrainClass& brain, WordFragmentClass& f, const MatchText& in, int32_t& position) {
  const std::string_view input = in.text;
  switch (f.Relation) {
    case PatternType::And:
    case PatternType::Or:
    case PatternType::Not:
    case PatternType::Custom: return Scored(f, WordInInput(brain, f, in, position));
    case PatternType::DataMatch: {
      std::string value = UpperCase(ExpandForFragment(brain, f, f.TheValue, input));
      return Scored(f, value == UpperCase(brain.GetFact(f.TheName)));
    }
    case PatternType::StateMatch: {
      std::string name = UpperCase(ExpandForFragment(brain, f, f.TheName, input));
      return Scored(f, name == UpperCase(brain.CurrentStateName()));
    }
    case PatternType::InCollection: return Scored(f, AnyMemberIn(brain, f, input, true));
    case PatternType::OutMatch: {
      std::string word = ExpandForFragment(brain, f, f.WordFrag, input);
      return Scored(f, FindWord(word, brain.OutputAt("0"), position));
    }
    case PatternType::CustomSub: return Scored(f, TextInInput(brain, f, in));
    case PatternType::InCollectionSub: return Scored(f, AnyMemberIn(brain, f, input, false));
    case PatternType::Extract: {
      std::string tmpl = UpperCase(ExpandForFragment(brain, f, f.WordFrag, input));
      std::string text = ExpandForFragment(brain, f, input, input);
      return Scored(f, Extract(brain, tmpl, text));
    }
    case PatternType::External: return ExternalScore(brain, f, input);
    default: return 0;  // None, Volition, Initialize, Finalize, Do-Before, Do-After
  }
}

}  // namespace

MatchText::MatchText(std::string_view input) : text(input), plain(input.find('^') == std::string_view::npos) {
  if (!plain) return;
  // One input is searched by every fragment of the mode: upper-case it once.
  thread_local std::string original, upperCopy;
  thread_local uint64_t inputs = 0;
  if (input != original || inputs == 0) {
    original.assign(input);
    upperCopy = UpperCase(input);
    ++inputs;
  }
  upper = upperCopy;
  generation = inputs;
}

int32_t Match(BrainClass& brain, WordFragmentClass& fragment, const MatchText& input, int32_t& position) {
  int32_t s = FragmentScore(brain, fragment, input, position);
  brain.LastFragmentName = fragment.ObjectName;
  return s;
}

int32_t Match(BrainClass& brain, WordFragmentClass& fragment, std::string_view input, int32_t& position) {
  return Match(brain, fragment, MatchText(input), position);
}

}  // namespace varnex
