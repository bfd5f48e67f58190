// What the checks of `varnex check` share: the brain as the reader left it,
// every statement line with the record it made, the responses and tasks
// and fragments found by walking the brain, and the findings so far.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/language/keywords.h"
#include "engine/records/brain.h"
#include "engine/varnex.h"

namespace varnex::check {

struct Location {
  std::string file;
  int line = 0;
};

// One statement line as the reader saw it. The record is the one the reader
// held as current after the line; `fresh` says the line made it. Records
// replaced later in the read are destroyed when reading ends, so `record`
// and `owner` serve only as keys once the read is over.
struct Statement {
  Location at;
  std::string text;
  Keyword keyword = Keyword::None;
  const ObjectClass* record = nullptr;
  bool fresh = false;
  const void* owner = nullptr;  // a new clause's mode, a new step's procedure
};

// A response or a task: the action it performs and the texts it reads.
struct Use {
  ResponseType type = ResponseType::None;
  const Text* out = nullptr;
  const Text* name = nullptr;
  const Text* value = nullptr;
  const ObjectClass* record = nullptr;     // the response or task itself
  const ResponseClass* response = nullptr;  // the response, or the one holding the task
  const ProcClass* proc = nullptr;          // set when a step clause of this procedure holds it
};

// A set of names compared as the brain's registries compare them. A name
// made at run time from a tag could be anything: the set is then open and
// holds every name.
class NameSet {
 public:
  void Add(std::string_view name);
  bool Has(std::string_view name) const;
  bool open = false;

 private:
  std::unordered_set<std::string> names_;
};

// The names a brain defines, or can create while it runs.
struct Names {
  NameSet modes, states, procs, steps, collections, facts, objects;
  NameSet started;   // procedures named by Start Proc or Call Proc
  NameSet reached;   // steps named by Goto Step
  NameSet written;   // files that Log This or Save Collection write
  // States as they are spelt: the state lines' first, then State Change's.
  // A state keeps the spelling it was made with, and state responses
  // compare letter case.
  std::vector<std::string> stateSpellings;
  // Make Code turns a collection's members into statements: what they
  // define counts as defined.
  void AddCodeOf(const BrainClass& brain);
};

bool IsDynamic(std::string_view text);

// Joins texts into a message. (Messages begun as "text" + std::string(...)
// set off a false -Wrestrict warning of GCC 12.)
inline std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (std::string_view p : parts) s.append(p);
  return s;
}  // holds a tag, so its value is known only at run time

class Context {
 public:
  Context(BrainClass& brain, std::vector<Statement> statements, std::vector<Finding>& findings);

  BrainClass& brain;
  const std::vector<Statement> statements;
  std::vector<Use> uses;
  std::vector<const WordFragmentClass*> fragments;
  Names names;
  const void* initialMode = nullptr;  // the mode the brain was made with, as a key

  // Where a record was read; line 0 of the first file when it is unknown.
  Location Where(const ObjectClass* record) const;
  void Report(const Location& at, bool error, std::string message, const char* check);
  // Something a reader of the brain should know, not a mistake.
  void Note(const ObjectClass* at, std::string message, const char* check);
  void Report(const ObjectClass* at, bool error, std::string message, const char* check) {
    Report(Where(at), error, std::move(message), check);
  }

 private:
  std::unordered_map<const ObjectClass*, std::size_t> madeAt_;
  std::vector<Finding>& findings_;
};

// Every response and task of a brain, and every fragment.
void CollectUses(const BrainClass& brain, std::vector<Use>& uses, std::vector<const WordFragmentClass*>& fragments);
// What the brain's statements, actions and fragments define.
void CollectNames(const BrainClass& brain, const std::vector<Use>& uses,
                  const std::vector<const WordFragmentClass*>& fragments, Names& names);

// A tag in a text: the caret, letters and an opening brace.
struct TagAt {
  std::string word;        // the letters, upper-cased: "FACT", "STATE", "FCAT"
  std::string_view arg;    // between its braces; empty when it is not closed
  std::size_t caret = 0;   // position of the caret
  std::size_t end = 0;     // one past its closing brace (0 when not closed)
  std::size_t bar = std::string_view::npos;  // the argument's first "|" outside inner braces
  bool closed = false;
};
void ForEachTag(std::string_view text, const std::function<void(const TagAt&)>& f);
// The collections and the fact a tag reads, where its argument names them
// as written (a name made by another tag is known only at run time).
struct TagReads {
  std::vector<std::string_view> collections;
  std::optional<std::string_view> fact;
};
TagReads ReadsOf(const TagAt& tag);
// The texts of a use that go through the tag expander.
std::vector<const Text*> ExpandedTexts(const Use& use);

// The groups of checks, each in its own file.
void CheckStatements(Context& ctx);  // check_statements.cpp
void CheckTexts(Context& ctx);       // check_texts.cpp
void CheckNames(Context& ctx);       // check_names.cpp
void CheckClauses(Context& ctx);     // check_clauses.cpp

}  // namespace varnex::check
