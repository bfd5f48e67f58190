#include "engine/matching/match.h"

#include "engine/core/navigation.h"
#include "engine/core/type_names.h"
#include "engine/matching/external_score.h"
#include "engine/matching/extract.h"
#include "engine/matching/find_word.h"
#include "engine/template/expand_tags.h"
#include "engine/template/numbers.h"
#include "engine/template/text_search.h"

namespace varnex {

std::string ExpandForFragment(BrainClass& brain, const WordFragmentClass& f, std::string_view text,
                              std::string_view input) {
  return ExpandTags(brain, text, input, StepPatternOfFragment(&f), PatternOfFragment(&f));
}

namespace {

// Minus a penalty; the negation of the most negative 32-bit number is an
// overflow like any other.
int32_t Negate(int32_t v) { return CheckedSub(0, v); }

bool WordInInput(BrainClass& brain, const WordFragmentClass& f, std::string_view input, int32_t& position) {
  std::string word = ExpandForFragment(brain, f, f.WordFrag, input);
  std::string text = ExpandForFragment(brain, f, input, input);
  return FindWord(word, text, position);
}

bool AnyMemberIn(BrainClass& brain, const WordFragmentClass& f, std::string_view input, bool wholeWords) {
  DataCollectionClass* c = brain.FindCollection(f.TheName);
  if (!c) return false;
  return wholeWords ? c->HasMemberWord(input) : c->HasMemberIn(input);
}

int32_t Score(BrainClass& brain, WordFragmentClass& f, std::string_view input, int32_t& position) {
  switch (f.Relation) {
    case pt::And: return WordInInput(brain, f, input, position) ? 100 : -100;
    case pt::Or: return WordInInput(brain, f, input, position) ? 50 : 0;
    case pt::Not: return WordInInput(brain, f, input, position) ? -100 : 100;
    case pt::Custom:
      return WordInInput(brain, f, input, position) ? f.Bonus : Negate(f.Penalty);
    case pt::DataMatch: {
      std::string value = UpperCase(ExpandForFragment(brain, f, f.TheValue, input));
      return value == UpperCase(brain.GetFact(f.TheName)) ? f.Bonus : Negate(f.Penalty);
    }
    case pt::StateMatch: {
      std::string name = UpperCase(ExpandForFragment(brain, f, f.TheName, input));
      return name == UpperCase(brain.CurrentStateName()) ? f.Bonus : Negate(f.Penalty);
    }
    case pt::InCollection: return AnyMemberIn(brain, f, input, true) ? f.Bonus : Negate(f.Penalty);
    case pt::OutMatch: {
      std::string word = ExpandForFragment(brain, f, f.WordFrag, input);
      return FindWord(word, brain.OutputAt("0"), position) ? f.Bonus : Negate(f.Penalty);
    }
    case pt::CustomSub: {
      std::string word = ExpandForFragment(brain, f, f.WordFrag, input);
      std::string text = ExpandForFragment(brain, f, input, input);
      return FindText(word, text) != 0 ? f.Bonus : Negate(f.Penalty);
    }
    case pt::InCollectionSub: return AnyMemberIn(brain, f, input, false) ? f.Bonus : Negate(f.Penalty);
    case pt::Extract: {
      std::string tmpl = UpperCase(ExpandForFragment(brain, f, f.WordFrag, input));
      std::string text = ExpandForFragment(brain, f, input, input);
      return Extract(brain, tmpl, text) ? f.Bonus : Negate(f.Penalty);
    }
    case pt::External: return ExternalScore(brain, f, input);
    default: return 0;  // None, Volition, Initialize, Finalize, Do-Before, Do-After
  }
}

}  // namespace

int32_t Match(BrainClass& brain, WordFragmentClass& fragment, std::string_view input, int32_t& position) {
  int32_t s = Score(brain, fragment, input, position);
  brain.LastFragmentName = fragment.ObjectName;
  return s;
}

}  // namespace varnex
