// An External fragment: a function of an outside library gives the score.
// Loading needs the host's consent; a missing library or function, or one
// that throws, scores 0.
#include "engine/matching/external_score.h"

#include "engine/records/libraries.h"
#include "engine/matching/match.h"
#include "engine/base/text_search.h"
#include "platform/dynamic_library.h"

namespace varnex {

using ScoreFunction = int32_t (*)(const char*);

int32_t ExternalScore(BrainClass& brain, const WordFragmentClass& f, std::string_view input) {
  // The registry knows the library by its upper-case name; it is loaded by
  // the name as written, since file names on this system keep their case.
  const std::string library = ExpandForFragment(brain, f, f.WordFrag, input);
  void* handle = FindOrLoadLibrary(brain, library);
  if (!handle) return 0;
  auto fn = reinterpret_cast<ScoreFunction>(FindLibraryFunction(handle, ExpandForFragment(brain, f, f.TheName, input)));
  if (!fn) return 0;
  const std::string argument = UpperCase(ExpandForFragment(brain, f, f.TheValue, input));
  try {
    return fn(argument.c_str());
  } catch (...) {
    return 0;
  }
}

}  // namespace varnex
