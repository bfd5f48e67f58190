#include "console/transcript.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

Transcript Parsed(const std::string& text) {
  auto p = ParseTranscript(text);
  if (auto* e = std::get_if<TranscriptError>(&p)) ADD_FAILURE() << "line " << e->line << ": " << e->message;
  return std::get_if<Transcript>(&p) ? std::get<Transcript>(p) : Transcript{};
}

// "LINE: message" of a transcript that is refused.
std::string Refusal(const std::string& text) {
  auto p = ParseTranscript(text);
  if (auto* e = std::get_if<TranscriptError>(&p)) return std::to_string(e->line) + ": " + e->message;
  return "(accepted)";
}

std::vector<std::string> Lines(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

TEST(Transcript, ReadsDirectivesInputsAndTheThreeKindsOfExpectation) {
  const Transcript t = Parsed(
      "# Brain  sub/greeter.vlf  \r\n#seed 42\r\n# brainstorm: a comment\r\nMorning!\r\n\r\n"
      "> hello there \r\nHi.  \r\n~ Hi|Hello\r\n\\# not a comment\r\n\\(no answer)\r\n>\r\n(no answer)\r\n");
  EXPECT_TRUE(t.crlf);
  EXPECT_EQ(t.brain, "sub/greeter.vlf");
  EXPECT_EQ(t.brainLine, 1);
  EXPECT_EQ(t.seed, 42u);
  ASSERT_EQ(t.exchanges.size(), 3u);
  ASSERT_EQ(t.exchanges[0].expected.size(), 1u);
  EXPECT_EQ(t.exchanges[0].line, 4);
  const Exchange& hello = t.exchanges[1];
  EXPECT_EQ(hello.input, "hello there");
  EXPECT_EQ(hello.line, 6);
  ASSERT_EQ(hello.expected.size(), 4u);
  EXPECT_EQ(hello.expected[0].text, "Hi.");
  EXPECT_EQ(hello.expected[1].kind, Expectation::Kind::Pattern);
  EXPECT_EQ(hello.expected[2].text, "# not a comment");
  EXPECT_EQ(hello.expected[3].kind, Expectation::Kind::Text);
  EXPECT_EQ(hello.expected[3].text, "(no answer)");
  EXPECT_EQ(t.exchanges[2].input, "");
  EXPECT_EQ(t.exchanges[2].expected[0].kind, Expectation::Kind::NoAnswer);
  EXPECT_EQ(Parsed("> x\n").seed, 1u);
}

TEST(Transcript, RefusesMistakesWithTheirLine) {
  EXPECT_EQ(Refusal("> hi\n# seed 2\n"), "2: # seed must come before the first input");
  EXPECT_EQ(Refusal("# brain a.vlf\n# brain b.vlf\n> hi\n"), "2: a second # brain (the first is on line 1)");
  EXPECT_EQ(Refusal("# brain\n> hi\n"), "1: # brain needs the path of a brain file");
  EXPECT_EQ(Refusal("# seed -3\n> hi\n"), "1: # seed needs a whole number, not \"-3\"");
  EXPECT_EQ(Refusal("# seed 18446744073709551616\n> hi\n").substr(0, 2), "1:");
  EXPECT_EQ(Refusal("> hi\n~\n"), "2: ~ needs a regular expression");
  EXPECT_EQ(Refusal("> hi\n~ (unclosed\n").substr(0, 37), "2: bad regular expression \"(unclosed\"");
  EXPECT_EQ(Refusal("> hi\nHello\n(no answer)\n"),
            "3: (no answer) cannot share an input with expected answers (line 2)");
  EXPECT_EQ(Refusal("> hi\n(no answer)\nHello\n"),
            "3: (no answer) cannot share an input with expected answers (line 2)");
  EXPECT_EQ(Refusal("# only a comment\n\n"), "0: no inputs and no expected answers");
}

TEST(Transcript, AnswersAreComparedLineByLine) {
  std::vector<std::string> lines;
  AddAnswerLines("one  \r\ntwo\n\n   \n", lines);
  AddAnswerLines("", lines);
  EXPECT_EQ(lines, Lines({"one", "two"}));

  const Transcript t = Parsed("> a\nHello\n~ Hi|Hey\n> b\n(no answer)\n");
  const auto& two = t.exchanges[1].expected;
  EXPECT_TRUE(Passes(two, Lines({"Hello", "Hey"})));
  EXPECT_FALSE(Passes(two, Lines({"Hello", "Hey you"}))) << "a pattern matches the whole answer";
  EXPECT_FALSE(Passes(two, Lines({"Hello"})));
  EXPECT_TRUE(Passes(t.exchanges[2].expected, {}));
  EXPECT_FALSE(Passes(t.exchanges[2].expected, Lines({"Hi"})));
}

TEST(Transcript, DiffKeepsWhatStillMatchesAsContext) {
  const Transcript t = Parsed("> a\nSplash 1!\n~ Splash \\d!\nAll watered.\n> b\n(no answer)\n> c\nHi\n");
  EXPECT_EQ(DiffText(Diff(t.exchanges[1].expected, Lines({"Splash 1!", "Splash 2!", "Splash 3!", "Done."})), "  "),
            "    Splash 1!\n    Splash 2!\n  - All watered.\n  + Splash 3!\n  + Done.\n");
  EXPECT_EQ(DiffText(Diff(t.exchanges[2].expected, Lines({"Oh"})), ""), "- (no answer)\n+ Oh\n");
  EXPECT_EQ(DiffText(Diff(t.exchanges[3].expected, {}), ""), "- Hi\n+ (no answer)\n");
}

TEST(Transcript, RewritingKeepsTheFileAndReplacesOnlyWhatFailed) {
  const std::string text =
      "# seed 3\n\n# the greeting\n> hello\n~ Hi.*\nStale\n# about names\n> name?\nSame\n> quiet\nWas here\n"
      "> new\n";
  const Transcript t = Parsed(text);
  const std::string out = Rewritten(t, {{"Morning!", "# hash"}, {"Hi there", "Fresh"}, {"Same"}, {}, {"> odd"}});
  EXPECT_EQ(out,
            "# seed 3\n\nMorning!\n\\# hash\n# the greeting\n> hello\n~ Hi.*\nFresh\n# about names\n> name?\nSame\n"
            "> quiet\n(no answer)\n> new\n\\> odd\n");
  // The rewritten file expects exactly what was answered.
  const Transcript again = Parsed(out);
  EXPECT_EQ(Rewritten(again, {{"Morning!", "# hash"}, {"Hi there", "Fresh"}, {"Same"}, {}, {"> odd"}}), out);

  const Transcript crlf = Parsed("> a\r\nold\r\n");
  EXPECT_EQ(Rewritten(crlf, {{}, {"new"}}), "> a\r\nnew\r\n");
}

TEST(Transcript, XmlEscapingGivesWellFormedUtf8) {
  EXPECT_EQ(XmlEscaped("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
  EXPECT_EQ(XmlEscaped("tab\tnl\n bell\x07"), "tab\tnl\n bell\xEF\xBF\xBD");
  EXPECT_EQ(XmlEscaped("caf\xC3\xA9 \xF0\x9F\x8C\xB1"), "caf\xC3\xA9 \xF0\x9F\x8C\xB1");
  EXPECT_EQ(XmlEscaped("caf\xE9!"), "caf\xC3\xA9!") << "a Latin-1 byte";
  EXPECT_EQ(XmlEscaped("\xC0\xAF"), "\xC3\x80\xC2\xAF") << "an overlong form is two Latin-1 bytes";
  EXPECT_EQ(XmlEscaped("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80") << "a surrogate is not a character";
  EXPECT_EQ(XmlEscaped("\xE2\x82"), "\xC3\xA2\xC2\x82") << "a cut sequence";
}

}  // namespace
}  // namespace varnex
