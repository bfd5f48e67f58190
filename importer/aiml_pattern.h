// How an AIML category's pattern, that and topic become a clause's
// fragments.
//
// The brain answers AIML through a normalised input that the front modes
// build for every sentence (see aiml_to_brain.h):
//
//   <input> WHAT, IS, YOUR, NAME <that> HELLO <topic> GAMES <end>
//
// the input's words, the words of the last sentence of the last answer and
// of the topic, each
// upper-cased and reduced to runs of the letters A to Z (as the engine's
// word splitter makes them) and joined by ", ", between four markers. The
// path of a category is laid out the same way, and every run of fixed words
// between wildcards becomes one CUSTOM fragment that looks for that phrase:
// a run that touches a marker is anchored there (so "WHAT IS *" looks for
// "<input> WHAT, IS" and matches only at the start of the input, and
// "HELLO" looks for "<input> HELLO <that>" and matches only the whole
// input). The fragments find nothing but fixed texts, so every category is
// answered through the mode's index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "importer/aiml_language.h"
#include "importer/aiml_model.h"

namespace varnex::aiml {

// The markers of the normalised input.
inline constexpr const char* kInputMarker = "<input>";
inline constexpr const char* kThatMarker = "<that>";
inline constexpr const char* kTopicMarker = "<topic>";
inline constexpr const char* kEndMarker = "<end>";
// Follows <that> when the sentence holds a number. The engine's word
// splitting drops digits, so a number is a word nobody sees: it must fall
// into a wildcard. A pattern without a wildcard in its input cannot take
// it, and a wildcard that looks empty may hold it.
inline constexpr const char* kNumberMarker = "<number>";

// AIML's preference between the things a pattern position can hold, higher
// first: a $word, #, _, a word, a set, ^, *.
enum class Class : uint8_t { Star = 1, Caret = 2, Set = 3, Word = 4, Under = 5, Hash = 6, Dollar = 7 };

enum class Section : uint8_t { Input, That, Topic };

// One position of a pattern: a wildcard, or words. A set element (AIML 2.0)
// is expanded into its members before it gets here: its words are fixed,
// and it binds a star like a wildcard.
struct Element {
  Class cls = Class::Word;
  std::vector<std::string> words;  // upper case, A to Z only; empty for a wildcard
  bool bindsStar = false;          // wildcards and set elements
  std::string boundText;           // a set element's member as written
  // In a category to be learnt, an <eval>: its tags (its one word is a
  // placeholder, kLearnWord and its number).
  std::string learnExpression;
  bool Wildcard() const { return words.empty(); }
};

// The placeholder word of an <eval> in the pattern of a learnt category.
inline constexpr char kLearnWord = '\x05';

// Letters A to Z, upper-cased, split as the engine splits words.
std::vector<std::string> SplitWords(const std::string& text);

// One section as written, before set expansion: its elements, with set
// references named in `setName` (non-empty for a set element not yet
// expanded).
struct RawElement {
  Element element;
  std::string setName;  // upper case
};

// Reads the content of a <pattern>, <that> or the topic text into elements.
// Returns false with `element` and `why` set when it cannot be converted.
bool ParseSection(const Node& content, const Resources& resources, std::vector<RawElement>& out, std::string& element,
                  std::string& why);
bool ParseSectionText(const std::string& text, std::vector<RawElement>& out, std::string& why);

// A category's path, with set elements expanded to one choice of member.
struct Path {
  std::vector<Element> input, that, topic;
  // A key that is equal for two categories exactly when AIML would take
  // the later for the earlier.
  std::string Key() const;
  // AIML's preference, position by position, including the markers.
  std::string Classes() const;
  // How many stars each section binds.
  int Stars(Section s) const;
  const std::vector<Element>& Of(Section s) const {
    return s == Section::Input ? input : s == Section::That ? that : topic;
  }
};

// All the paths of a section list with its set elements expanded, at most
// `limit` of them; false (with `why`) when there would be more.
bool ExpandSets(const std::vector<RawElement>& input, const std::vector<RawElement>& that,
                const std::vector<RawElement>& topic, const Resources& resources, std::size_t limit,
                std::vector<Path>& out, std::string& why);

// The fragments that find the path in the normalised input. `rank` is the
// clause's order bonus; a wildcard that must hold a word gets a CUSTOM-Sub
// fragment that brings the clause down to the floor when the input has
// nothing in its place (and one that lifts it back when the sentence holds
// a number, which may be what the wildcard holds); an input pattern without
// wildcards goes to the floor when the sentence holds a number.
std::vector<FragmentLine> PathFragments(const Path& path, int32_t rank);

// The penalty of a missing phrase and of words out of order: enough to put
// a clause at the floor, where it never answers.
inline constexpr int32_t kMiss = 30000;

// Capturing the text of wildcards. The clause's response assigns the
// template to the fact aiml-capture and submits the capture text to the
// capture mode, whose one clause is an EXTRACT fragment of that fact: the
// input (and the last answer and the topic) as the user typed them, with
// the fixed words of the path as literals and a ^Extr{} for each wildcard.
struct CaptureSpec {
  // The fact that receives star n of each section (1-based), or empty for
  // a star nobody uses.
  std::vector<std::string> input, that, topic;
};
struct Capture {
  std::string templ;  // the EXTRACT template
  std::string text;   // what to submit to the capture mode
};
// False when the path cannot be captured (too many segments for EXTRACT).
bool CaptureFor(const Path& path, const CaptureSpec& spec, Capture& out, std::string& why);

}  // namespace varnex::aiml
