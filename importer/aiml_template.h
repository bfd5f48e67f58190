// How an AIML template becomes a clause's responses.
//
// A category does not print its answer: it leaves it in the fact
// aiml-reply, and the front modes put the answers of the sentences of an
// input together and print them once (see aiml_to_brain.h). That is what
// lets <srai> work as AIML's does, inside a text: a <srai> is a Submit
// This of its text to the aiml-srai mode, after which the answer it found
// is in aiml-reply, ready to be used in the text around it.
//
// A template of text, stars and predicates is one Assignment response:
//
//   Response {},Assignment,{aiml-reply},{Nice to meet you, ^Fact{aiml-star}.}
//
// A template with side effects (<set>, <think>, <srai>, <condition>, an
// inline <random>) is a Task List that builds the answer piece by piece in
// a fact and assigns aiml-reply at its end. A template that is one
// <random> becomes one response per <li>, which the engine draws from.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "importer/aiml_language.h"
#include "importer/aiml_model.h"
#include "importer/aiml_pattern.h"

namespace varnex::aiml {

// A construct that cannot be converted: the category is left out.
struct SkipCategory {
  std::string element;
  int line = 0;
  std::string message;
};

// A construct converted with a difference from AIML.
struct Approximation {
  std::string element;
  int line = 0;
  std::string message;
};

// A category to be learnt: the tasks to run before it is read, and its
// lines, whose ^ tags are to be kept for when it answers except within the
// marks kLearnNow ... kLearnNowEnd.
struct LearnOutput {
  std::vector<TaskLine> before;
  std::vector<std::string> lines;
};
inline constexpr char kLearnNow = '\x03', kLearnNowEnd = '\x04';
// The element an <eval> becomes inside a category to be learnt.
inline constexpr const char* kEvaluated = "aiml-evaluated";

struct TemplateEnv {
  const Resources* resources = nullptr;
  int stars[3] = {0, 0, 0};  // how many stars the input, that and topic bind
  // Stars bound by set elements: their text is known when the clause is made.
  std::map<int, std::string> staticStars[3];
  // <learn>: the learnt category (its <eval> parts replaced by elements
  // <aiml-evaluated> holding their tags, to be expanded when it is learnt)
  // as the tasks that prepare it and the Language lines that make it; set
  // by the converter. Throws SkipCategory.
  std::function<LearnOutput(const Node& category, std::vector<Approximation>& notes)> learn;
};

struct CompiledResponse {
  ResponseLine response;
  std::set<int> stars[3];   // the stars it reads (1-based), per section
  bool depthKeyed = false;  // its stars must be captured into keys of the srai depth
};

struct CompiledTemplate {
  std::vector<CompiledResponse> responses;
  std::vector<Approximation> approximations;
  std::set<std::string> predicates;  // predicate names read or set, to start out empty
  std::set<int> diceSizes;           // the inline <random>s' numbers of choices
  bool learns = false;
};

// Throws SkipCategory.
CompiledTemplate CompileTemplate(const Node& templ, const TemplateEnv& env);

// The fact a star is captured into.
std::string StarFact(Section section, int n, bool depthKeyed);

// Static transformations of text known when the brain is made.
std::string PersonSwap(const std::string& text, int kind);  // 1 person, 2 person2, 3 gender
std::string Formal(const std::string& text);
std::string SentenceCase(const std::string& text);

// Text of a template made safe and plain: whitespace runs become one blank,
// braces become parentheses.
std::string CleanText(const std::string& text);

}  // namespace varnex::aiml
