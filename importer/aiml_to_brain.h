// AIML categories to a whole brain.
//
// The brain has six modes:
//
// - "Default" holds one clause per category (and per member of a set in its
//   pattern), an Initialize clause that switches to aiml-front when the
//   brain starts, and a last clause that answers nothing when no category
//   matches, as an AIML interpreter does.
// - aiml-front answers every input: it hands the input to aiml-sentences,
//   and prints the answers of its sentences as one answer.
// - aiml-sentences splits the input at ".", "?" and "!" (an EXTRACT clause
//   for each, which hands both halves back to the mode), and for a
//   sentence builds the normalised input and submits it to "Default";
//   after an answer it has aiml-that find the answer's last sentence (the
//   facts aiml-that-raw and, normalised, aiml-that), which the next
//   sentence is matched with.
// - aiml-that splits an answer as aiml-sentences splits an input, and keeps
//   its last sentence.
// - aiml-srai does the same for the text of a <srai> as aiml-sentences for a
//   sentence.
// - aiml-capture has one clause, an EXTRACT of the template in the fact
//   aiml-capture, through which a category captures its wildcards.
//
// A category's order bonus is its place in AIML's order of preference
// (aiml_pattern.h): among the clauses that match, the one AIML would choose
// scores highest. A clause that does not match scores at the floor.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "importer/aiml_language.h"
#include "importer/aiml_model.h"

namespace varnex::aiml {

struct ConvertCounts {
  std::size_t categories = 0;  // read
  std::size_t converted = 0;   // in the brain (some may have been replaced later)
  std::size_t skipped = 0;
  std::size_t replaced = 0;
  std::size_t approximated = 0;  // converted with a difference
  std::size_t clauses = 0;       // clauses written for categories
};

class Converter {
 public:
  explicit Converter(const Resources& resources);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts the categories, in order; what cannot be converted goes to
  // `problems`.
  void Add(const std::vector<Category>& categories, std::vector<Problem>& problems);
  // The brain made of everything added.
  BrainLines Brain();
  const ConvertCounts& Counts() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The rank of each class sequence among all of them: their place in AIML's
// order of preference, 2, 4, 6 ... (odd ranks are left for clauses learnt
// later, which go just above the ones they equal).
std::map<std::string, int32_t> Ranks(std::vector<std::string> sequences);

}  // namespace varnex::aiml
