#include "console/options.h"

#include <gtest/gtest.h>

namespace varnex {
namespace {

std::optional<ConsoleOptions> Parse(std::vector<std::string> args) { return ParseOptions(args); }

TEST(ConsoleOptions, ChatAndFmt) {
  auto o = Parse({"chat", "--seed", "42", "--trace", "--save", "out.vlf", "--idle", "3", "b.vlf"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->command, ConsoleOptions::Command::Chat);
  EXPECT_EQ(o->seed, 42u);
  EXPECT_TRUE(o->trace);
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

TEST(ConsoleOptions, BadUsage) {
  EXPECT_FALSE(Parse({}));
  EXPECT_FALSE(Parse({"talk"}));
  EXPECT_FALSE(Parse({"chat", "--seed"}));
  EXPECT_FALSE(Parse({"chat", "--seed", "-3"}));
  EXPECT_FALSE(Parse({"chat", "--seed", "12x"}));
  EXPECT_FALSE(Parse({"chat", "--save"}));
  EXPECT_FALSE(Parse({"chat", "--idle", "soon"}));
  EXPECT_FALSE(Parse({"chat", "--loud"}));
  EXPECT_FALSE(Parse({"chat", "a.vlf", "b.vlf"}));
  EXPECT_FALSE(Parse({"fmt"}));
  EXPECT_FALSE(Parse({"fmt", "a.vlf", "b.vlf"}));
}

}  // namespace
}  // namespace varnex
