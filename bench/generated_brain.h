// The generated brains the benchmarks read and answer: clause i has two AND
// fragments with words of its own and one Just Text response.
#pragma once

#include <string>
#include <vector>

namespace varnex {

// A distinct letters-only word for every number.
std::string Word(int n);

// Writes a brain of `clauses` clauses to `path`, line by line, so that
// writing a big one costs almost no memory. Returns false on failure.
bool WriteGeneratedBrain(const std::string& path, int clauses);

// 64 inputs of 4 to 11 words, two of which belong to one clause; the others
// are words no clause uses.
std::vector<std::string> GeneratedInputs(int clauses);

}  // namespace varnex
