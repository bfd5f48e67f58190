#include "console/options.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

std::optional<ConsoleOptions> Parse(std::vector<std::string> args) {
  auto parsed = ParseOptions(args);
  if (auto* o = std::get_if<ConsoleOptions>(&parsed)) return *o;
  return std::nullopt;
}

// The message of a refused command line.
std::string Refusal(std::vector<std::string> args) {
  auto parsed = ParseOptions(args);
  if (auto* e = std::get_if<UsageError>(&parsed)) return e->message;
  return "(accepted)";
}

TEST(ConsoleOptions, ChatAndFmt) {
  auto o = Parse({"chat", "--seed", "42", "--trace", "--save", "out.vlf", "--idle", "3", "--commands", "b.vlf"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Chat);
  EXPECT_EQ(o->seed, 42u);
  EXPECT_TRUE(o->trace);
  EXPECT_TRUE(o->commands);
  EXPECT_EQ(o->save, "out.vlf");
  EXPECT_EQ(o->brain, "b.vlf");
  EXPECT_EQ(o->idle, 3);

  o = Parse({"chat"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->brain.empty());
  EXPECT_FALSE(o->seed);

  o = Parse({"fmt", "b.vlf"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Fmt);
}

TEST(ConsoleOptions, ToolsForBrainWriters) {
  auto o = Parse({"check", "--json", "--strict", "a.vlf", "b.vlf"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Check);
  EXPECT_TRUE(o->json && o->strict);
  EXPECT_EQ(o->operands, (std::vector<std::string>{"a.vlf", "b.vlf"}));

  o = Parse({"test", "--junit", "out.xml", "--coverage", "--update", "t1.txt"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Test);
  EXPECT_EQ(o->junit, "out.xml");
  EXPECT_TRUE(o->coverage && o->update);

  o = Parse({"explain", "--count", "3", "--clause", "#2", "b.vlf", "hello there"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Explain);
  EXPECT_EQ(o->count, 3);
  EXPECT_EQ(o->clause, "#2");
  EXPECT_EQ(o->brain, "b.vlf");
  EXPECT_EQ(o->input, "hello there");
}

TEST(ConsoleOptions, ImportAiml) {
  auto o = Parse({"import", "aiml", "a.aiml", "dir", "--bot", "name=Pip", "--bot", "age=3", "--report", "r.txt",
                  "-o", "pip.vlf"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Import);
  EXPECT_EQ(o->operands, (std::vector<std::string>{"a.aiml", "dir"}));
  EXPECT_EQ(o->bot, (std::vector<std::pair<std::string, std::string>>{{"name", "Pip"}, {"age", "3"}}));
  EXPECT_EQ(o->report, "r.txt");
  EXPECT_EQ(o->output, "pip.vlf");
  EXPECT_EQ(Refusal({"import", "rive", "a.rive"}), "import: \"rive\" is not a format it reads; it reads aiml");
  EXPECT_EQ(Refusal({"import", "aiml", "a.aiml", "--bot", "Pip", "-o", "x.vlf"}),
            "--bot: \"Pip\" is not NAME=VALUE, such as name=Alice");
  EXPECT_EQ(Refusal({"import", "aiml", "-o", "x.vlf"}), "import aiml: needs at least one AIML file or folder");
}

TEST(ConsoleOptions, HelpAndVersionAnywhere) {
  for (auto args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"chat", "--help"}, {"check", "-h"}, {"test", "--help"}, {"worddb", "--help"}}) {
    auto o = Parse(args);
    ASSERT_TRUE(o) << args[0];
    EXPECT_EQ(o->command, ConsoleOptions::Command::Help) << args[0];
  }
  auto o = Parse({"--version"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Version);
}

TEST(ConsoleOptions, BadUsageNamesTheArgument) {
  EXPECT_EQ(Refusal({}), "a command is needed");
  EXPECT_EQ(Refusal({"talk"}), "talk: not a command of varnex");
  EXPECT_EQ(Refusal({"chat", "--seed"}), "--seed: needs a value");
  EXPECT_EQ(Refusal({"chat", "--seed", "-3"}), "--seed: \"-3\" is not a whole number");
  EXPECT_EQ(Refusal({"chat", "--seed", "12x"}), "--seed: \"12x\" is not a whole number");
  EXPECT_EQ(Refusal({"chat", "--save"}), "--save: needs a value");
  EXPECT_EQ(Refusal({"chat", "--idle", "soon"}), "--idle: \"soon\" is not a whole number of seconds");
  EXPECT_EQ(Refusal({"chat", "--loud"}), "--loud: not an option of varnex chat");
  EXPECT_EQ(Refusal({"chat", "--json"}), "--json: not an option of varnex chat");
  EXPECT_EQ(Refusal({"chat", "a.vlf", "b.vlf"}), "b.vlf: chat takes one brain file, and a.vlf is one already");
  EXPECT_EQ(Refusal({"fmt"}), "fmt: needs exactly one brain file");
  EXPECT_EQ(Refusal({"fmt", "a.vlf", "b.vlf"}), "fmt: needs exactly one brain file");
  EXPECT_EQ(Refusal({"check"}), "check: needs at least one brain file");
  EXPECT_EQ(Refusal({"explain", "b.vlf"}), "explain: needs a brain file and an input");
  EXPECT_EQ(Refusal({"explain", "--count", "0", "b.vlf", "x"}), "--count: \"0\" is not a count from 1");
  EXPECT_EQ(Refusal({"worddb", "build", "x"}), "worddb build: needs exactly two operands");
}

}  // namespace
}  // namespace varnex
