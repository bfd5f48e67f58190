// One fragment against one input: what each relation looks for, and the
// score it gives found or absent (score_rules.h). Match also leaves the
// fragment's name in LastFragmentName, which tags of later fragments read.
#include "engine/matching/match.h"

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

int32_t FragmentScore(BrainClass& brain, WordFragmentClass& f, std::string_view input, int32_t& position) {
  switch (f.Relation) {
    case PatternType::And:
    case PatternType::Or:
    case PatternType::Not:
    case PatternType::Custom: return Scored(f, WordInInput(brain, f, input, position));
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
    case PatternType::CustomSub: {
      std::string word = ExpandForFragment(brain, f, f.WordFrag, input);
      std::string text = ExpandForFragment(brain, f, input, input);
      return Scored(f, FindText(word, text) != 0);
    }
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

int32_t Match(BrainClass& brain, WordFragmentClass& fragment, std::string_view input, int32_t& position) {
  int32_t s = FragmentScore(brain, fragment, input, position);
  brain.LastFragmentName = fragment.ObjectName;
  return s;
}

}  // namespace varnex
