// libFuzzer: the writer's text is a fixed point of reading and writing.
//
// The fuzz input is Language text, optionally followed by a zero byte and
// the text of a file a.vlf, and by another and the text of b.vlf (both may
// be INCLUDEd). The text is read as a Language file is (lines ended by LF or
// CR LF) into a fresh brain, and the brain is written. That text, read into
// another fresh brain, must give no reader message and must be written
// again exactly as it was: the layout the writer produces keeps every
// definition it writes, in the same order, under the same names. The same
// holds for the brain saved to a file and read from it.
//
// Only the format itself allows a difference, for texts that the format
// cannot hold; those are taken out of the first brain before it is written:
//
// - A brace field whose inner braces were not closed before the line ended
//   ("Fact {a{b"): the reader keeps "a{b", but written as "{a{b}" its
//   braces no longer close where the field began, so the line reads back
//   as other fields. Every brace field must be balanced. Such a text is
//   closed with the missing "}" before writing. A name that a registry is
//   keyed on (state, mode, procedure, step, fact, collection) is not
//   repaired: closing it could make it equal to another name of the same
//   registry, which would then be merged on reading; such inputs are not
//   compared at all.
// - A collection member line made only of blanks: the member is the empty
//   text (members are trimmed), which the writer writes as an empty line,
//   and an empty line in a collection adds nothing. Empty members are
//   removed before writing.
//
// The other limits of the format cannot arise from reading lines: a member
// that begins with "END-COLLECTION" would have ended its collection, and no
// text holds a line end. A collection's Name-Object, hit counts and other
// run-time values are not written at all, so they do not differ either.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/random.h"
#include "fuzz/fuzz_support.h"
#include "engine/language/reader.h"
#include "engine/language/writer.h"
#include "support/test_support.h"

namespace varnex {
namespace {

// How many "{" of the text are never closed; -1 when a "}" closes nothing
// (the reader never keeps such a text: it would have ended the field).
long OpenBraces(std::string_view text) {
  long depth = 0;
  for (char c : text) {
    if (c == '{') ++depth;
    else if (c == '}' && --depth < 0) return -1;
  }
  return depth;
}

class Repair {
 public:
  // False when a registry name is unbalanced and the input is not compared.
  bool Comparable() const { return comparable_; }

  void Brain(BrainClass& b) {
    for (std::size_t i = 1; i < b.StateNames.size(); ++i) Key(b.StateNames[i]);
    for (std::size_t i = 0; i < b.Knowledge.size(); ++i) {
      KnowledgeClass& k = *b.Knowledge[i];
      if (i > 0) Key(k.TheName);
      Field(k.ObjectName);
      for (auto& p : k.Patterns) Clause(*p);
    }
    for (auto& p : b.Procs) {
      Key(p->TheName);
      Field(p->ObjectName);
      for (auto& s : p->Steps) {
        Key(s->TheName);
        Field(s->ThePrompt);
        Field(s->ObjectName);
        for (auto& sp : s->StepPatterns) {
          Field(sp->ObjectName);
          for (auto& f : sp->Fragments) Fragment(*f);
          for (auto& r : sp->Responses) Response(*r);
        }
      }
    }
    for (std::size_t i = 0; i < b.FactNames.size(); ++i) {
      Key(b.FactNames[i]);
      Field(b.FactValues[i]);
    }
    for (auto& entry : b.Collections) {
      DataCollectionClass& c = *entry.Collection;
      Key(c.TheName);
      std::erase(c.Members, std::string());
    }
  }

 private:
  void Key(std::string_view name) {
    if (OpenBraces(name) != 0) comparable_ = false;
  }
  template <class T>
  void Field(T& text) {
    const long open = OpenBraces(text);
    if (open > 0) text = std::string(text) + std::string(static_cast<std::size_t>(open), '}');
    // A "}" that closes nothing stays: the round trip then shows it.
  }
  void Clause(PatternClass& p) {
    Field(p.ObjectName);
    for (auto& f : p.Fragments) Fragment(*f);
    for (auto& r : p.Responses) Response(*r);
    for (auto& t : p.Thresholds) {
      Field(t->ObjectName);
      for (auto& r : t->Responses) Response(*r);
    }
    for (auto& s : p.States) {
      Field(s->State);
      Field(s->ObjectName);
      for (auto& r : s->Responses) Response(*r);
    }
  }
  void Fragment(WordFragmentClass& f) {
    Field(f.WordFrag);
    Field(f.TheName);
    Field(f.TheValue);
    Field(f.ObjectName);
  }
  template <class R>
  void Action(R& r) {
    Field(r.OutText);
    Field(r.TheName);
    Field(r.TheValue);
    Field(r.ObjectName);
  }
  void Response(ResponseClass& r) {
    Action(r);
    for (auto& t : r.Tasks) Action(*t);
  }

  bool comparable_ = true;
};

std::vector<std::string> Written(BrainClass& brain) {
  std::vector<std::string> lines;
  SaveLanguageText(brain, lines);
  return lines;
}

}  // namespace
}  // namespace varnex

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnex;
  std::vector<std::string> parts = fuzz::SplitAtZeros(data, size, 3);
  for (auto& p : parts) fuzz::WithoutSlashes(p);  // INCLUDE reads only from the scratch folder
  fuzz::ScratchFolder folder;
  const char* files[] = {"a.vlf", "b.vlf"};
  for (std::size_t i = 1; i < parts.size(); ++i) test::WriteFile(files[i - 1], parts[i]);
  test::FixedClock clock(45000.0);
  FixRandomSeed(1);  // AUTO-NAME draws the same names each time

  BrainClass first;
  LoadLanguageText(first, fuzz::FileLines(parts[0]));
  Repair repair;
  repair.Brain(first);
  if (!repair.Comparable()) return 0;
  const std::vector<std::string> written = Written(first);

  BrainClass second;
  std::vector<std::string> messages;
  second.ReaderMessage = [&](const std::string& m) { messages.push_back(m); };
  LoadLanguageText(second, written);
  if (!messages.empty()) fuzz::Fail("the written text reads with a message: " + messages[0] + " / " + messages.back());
  const std::vector<std::string> again = Written(second);
  if (again != written) fuzz::Fail("the written text, read back, is written differently", written, again);

  // The same through a file: lines ended by CR LF, read back line by line.
  const std::string error = SaveLanguageFile(first, "brain.vlf");
  if (!error.empty()) fuzz::Fail("the brain cannot be saved: " + error);
  BrainClass third;
  third.ReaderMessage = second.ReaderMessage;
  LoadLanguageFile(third, "brain.vlf");
  if (!messages.empty()) fuzz::Fail("the saved file reads with a message: " + messages[0] + " / " + messages.back());
  const std::vector<std::string> fromFile = Written(third);
  if (fromFile != written) fuzz::Fail("the saved file, read back, is written differently", written, fromFile);
  return 0;
}
