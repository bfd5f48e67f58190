// The Language text the importer writes: clauses, responses and tasks as
// plain records, laid out line for line as the engine's writer lays out a
// brain, so that an imported brain read and saved again is the same text.
// This module knows nothing of AIML; it only writes records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnex::aiml {

struct TaskLine {
  std::string out, type, name, value;
};

struct ResponseLine {
  std::string out, type, name, value;
  std::vector<TaskLine> tasks;
};

struct FragmentLine {
  std::string relation;
  int32_t bonus = 0, penalty = 0;
  std::string word, name, value;
};

struct ClauseLines {
  int32_t orderBonus = 0, orderPenalty = 0;
  std::vector<FragmentLine> fragments;
  std::vector<ResponseLine> responses;
};

struct ModeLines {
  std::string name;  // the first mode is the brain's "Default" and has no Mode line
  std::vector<ClauseLines> clauses;
};

struct CollectionLines {
  std::string name;
  bool sorted = false;
  std::vector<std::string> members;
};

// A whole brain: modes in order, facts in order, collections (written
// sorted by name, as the brain keeps them).
struct BrainLines {
  std::vector<ModeLines> modes;
  std::vector<std::pair<std::string, std::string>> facts;
  std::vector<CollectionLines> collections;
};

// The lines of one clause (For-Mode line, its fragments and responses, and
// the empty line after it), appended to `out`.
void AppendClause(std::vector<std::string>& out, const ClauseLines& clause);
// The lines of one response (and its tasks) under a clause.
void AppendResponse(std::vector<std::string>& out, const ResponseLine& response);
// The whole brain's text. Facts with the same name (ignoring case) keep the
// first spelling and the last value; collections with the same name keep
// the last; members are trimmed and each kept once (ignoring case), as the
// reader would keep them.
std::vector<std::string> BrainText(BrainLines brain);

// The engine's collation of names: byte order after upper-casing a to z.
int CompareNoCase(const std::string& a, const std::string& b);
std::string UpperAscii(std::string s);
bool EqualsNoCase(const std::string& a, const std::string& b);

// A text made safe for a brace field or a member line: one line, braces
// balanced (a lone brace becomes a parenthesis). Returns whether anything
// had to change.
bool MakeFieldSafe(std::string& text);

}  // namespace varnex::aiml
