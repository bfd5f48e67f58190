// Generated brains shaped like the ones people write: a vocabulary whose
// words are used with a Zipf-like frequency (the twenty most common words
// each in 5 to 30 percent of the clauses), clauses of one to eight
// fragments (mostly AND, some OR, NOT and CUSTOM-Sub) with order bonus and
// penalty, about a fifth of the answers passing a rewritten input on
// through Submit This (chains up to four deep), and a few clauses that test
// a fact or the state. Nothing is copied from any existing rule set.
#pragma once

#include <string>
#include <vector>

namespace varnex {

struct RealisticShape {
  int clauses = 100000;
  unsigned seed = 1;
};

// Writes the brain to `path`, line by line. Returns false on failure.
bool WriteRealisticBrain(const std::string& path, const RealisticShape& shape);

// Inputs of 3 to 12 words from the same vocabulary: some hold a clause's
// words in order, some share only common words with the clauses, some
// words no clause uses.
std::vector<std::string> RealisticInputs(const RealisticShape& shape, int count);

// The words of clause `i` in fragment order, and whether its answer passes
// a rewritten input on (then `submitted` is that input).
struct RealisticClause {
  std::vector<std::string> words;
  std::vector<std::string> relations;  // "AND", "OR", "NOT", "CUSTOM-Sub"
  std::string submitted;
};
RealisticClause MakeRealisticClause(const RealisticShape& shape, int i);

}  // namespace varnex
