// One fragment against one input: what each relation looks for, and the
// score it gives found or absent (score_rules.h). Match also leaves the
// fragment's name in LastFragmentName, which tags of later fragments read.
#include "engine/matching/match.h"

#include <atomic>
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

// The fragment's search key, worked out once after each change of its word.
uint32_t SearchKeyOf(BrainClass& brain, WordFragmentClass& f) {
  if (f.SearchKey == SearchKeys::kExpands || brain.FragmentKeys.Holds(f.SearchKey)) return f.SearchKey;
  const std::string_view word = f.WordFrag.view();
  if (word.find('^') != std::string_view::npos) f.SearchKey = SearchKeys::kExpands;
  else if (IsPlainKey(word)) f.SearchKey = brain.FragmentKeys.Intern(word);
  else f.SearchKey = brain.FragmentKeys.Intern(Trim(UpperCase(word)));
  return f.SearchKey;
}

// A search key in a plain input. The search is a function of the key and
// the text only, so its result serves every fragment of the input that
// holds the same key.
bool FindKey(BrainClass& brain, uint32_t key, const MatchText& in, int32_t& position) {
  SearchKeys::Result& r = brain.FragmentKeys.ResultFor(key);
  if (r.generation != in.generation) {
    const std::string_view W = brain.FragmentKeys.Key(key);
    // An empty word is never found and leaves the position as it was, which
    // is not a result to keep.
    if (W.empty()) return FindUpperWord(W, in.upper, position);
    r.found = FindUpperWord(W, in.upper, r.position);
    r.generation = in.generation;
  }
  position = r.position;
  return r.found;
}

bool WordInInput(BrainClass& brain, WordFragmentClass& f, const MatchText& in, int32_t& position) {
  // Texts without a tag expand to themselves: search them as they stand.
  if (in.plain) {
    const uint32_t key = SearchKeyOf(brain, f);
    if (key != SearchKeys::kExpands) return FindKey(brain, key, in, position);
  }
  const std::string_view word = f.WordFrag.view();
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

namespace {
// Names one upper-cased text among all those made in the process, so that
// a remembered search result is never taken for another text's, whichever
// thread or brain made it.
uint64_t NextGeneration() {
  static std::atomic<uint64_t> generations{0};
  return generations.fetch_add(1, std::memory_order_relaxed) + 1;
}
}  // namespace

MatchText::MatchText(std::string_view input) : text(input), plain(input.find('^') == std::string_view::npos) {
  if (!plain) return;
  // Clauses scored one by one in turn see the same input: upper-case it once.
  thread_local std::string original, upperCopy;
  thread_local uint64_t made = 0;
  if (input != original || made == 0) {
    original.assign(input);
    upperCopy = UpperCase(input);
    made = NextGeneration();
  }
  upper = upperCopy;
  generation = made;
}

MatchText::MatchText(std::string_view input, std::string& upperBuffer)
    : text(input), plain(input.find('^') == std::string_view::npos) {
  if (!plain) return;
  upperBuffer = UpperCase(input);
  upper = upperBuffer;
  generation = NextGeneration();
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
