// Transcripts for `varnex test`: what a brain should answer, written as a
// conversation. This part knows the file format, compares answers with what
// was expected and writes expected lines back; it never runs a brain, so it
// is tested on its own.
//
//   # brain greenhouse.vlf      the brain, beside the transcript (default: the demo brain)
//   # seed 7                    the random seed (default 1)
//   # anything else: a comment
//   Good morning!               answers expected when the brain starts
//   > hello                     an input
//   Hello there!                its answers, one line each, in order
//   ~ Hi|Hello.*                an answer matched by a regular expression
//   > what now?
//   (no answer)                 the input gets no answer at all
//
// Blank lines are ignored, as are empty answers and the blanks that end an
// answer line; an answer of several lines counts as that many lines. A line
// that would otherwise read as something else is written with a backslash
// before it: `\# not a comment`, `\(no answer)`.
#pragma once

#include <cstdint>
#include <memory>
#include <regex>
#include <string>
#include <variant>
#include <vector>

namespace varnex {

struct Expectation {
  enum class Kind { Text, Pattern, NoAnswer };
  Kind kind = Kind::Text;
  std::string text;  // the answer, or the regular expression as written
  int line = 0;      // 1-based line in the transcript
  std::shared_ptr<const std::regex> pattern;
};

// The answers expected after one input, or when the brain starts (the
// exchange before the first input).
struct Exchange {
  bool start = false;
  std::string input;
  int line = 0;  // the input's line; for the start, its first expected line (else 1)
  std::vector<Expectation> expected;
};

struct Transcript {
  std::vector<std::string> lines;  // the file's lines, without their ends
  bool crlf = false;               // lines ended by CR LF
  std::string brain;               // as written; empty for the demo brain
  int brainLine = 0;
  uint64_t seed = 1;
  std::vector<Exchange> exchanges;  // the start first, then one per input
};

struct TranscriptError {
  int line = 0;  // 0: the file as a whole
  std::string message;
};

std::variant<Transcript, TranscriptError> ParseTranscript(const std::string& text);

// An answer as transcripts compare it: split into lines, each without the
// blanks that end it, and without empty lines.
void AddAnswerLines(const std::string& answer, std::vector<std::string>& lines);

bool Matches(const Expectation& e, const std::string& answer);
// Whether the answers are exactly those expected, in order.
bool Passes(const std::vector<Expectation>& expected, const std::vector<std::string>& actual);

// Expected against actual lines, aligned so that what still matches shows
// as context: `sign` is ' ', '-' (expected, missing) or '+' (actual, not
// expected). `expected` and `actual` index the two lists (-1 for none).
struct DiffLine {
  char sign = ' ';
  std::string text;
  int expected = -1;
  int actual = -1;
};
std::vector<DiffLine> Diff(const std::vector<Expectation>& expected, const std::vector<std::string>& actual);
// The diff as the failure report shows it, each line indented by `indent`.
std::string DiffText(const std::vector<DiffLine>& diff, const std::string& indent);

// How an expectation reads in the file (and in diffs).
std::string Written(const Expectation& e);
// An answer line as the transcript holds it, escaped when it would read as
// a comment, an input, a pattern or "(no answer)".
std::string Escaped(const std::string& answer);

// The transcript's text with the expected lines of the exchanges that
// failed rewritten from the actual answers (`actual`, one entry per
// exchange): patterns and lines that still match stay as written, the rest
// becomes the answers themselves, and an input without answers gets
// "(no answer)". Comments, directives, inputs and blank lines stay.
std::string Rewritten(const Transcript& t, const std::vector<std::vector<std::string>>& actual);

// Text for an XML element or attribute: markup characters escaped,
// characters XML cannot hold replaced, bytes that are not UTF-8 read as
// Latin-1 (brains are often written in a single-byte code page).
std::string XmlEscaped(const std::string& text);

}  // namespace varnex
