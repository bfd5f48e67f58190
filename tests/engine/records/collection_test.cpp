#include "engine/records/collection.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/base/errors.h"

#include "support/test_support.h"

namespace varnex {
namespace {

std::unique_ptr<DataCollectionClass> Make(std::initializer_list<const char*> members, bool sorted = true) {
  auto c = std::make_unique<DataCollectionClass>();
  c->SetSorted(sorted);
  for (const char* m : members) c->AddMember(m);
  return c;
}

TEST(Collection, AddAndRemoveTrimAndIgnoreCase) {
  auto c = Make({"Dog", "dog", "  cat ", "bird", ""});
  c->AddMember("   ");  // blanks only: the empty member
  EXPECT_EQ(c->Members, (Lines{"", "bird", "cat", "Dog"}));
  c->RemoveMember(" DOG ");
  c->RemoveMember("");  // an empty argument does nothing...
  EXPECT_EQ(c->Members, (Lines{"", "bird", "cat"}));
  c->RemoveMember("  ");  // ...but blanks trim to the empty member
  EXPECT_EQ(c->Members, (Lines{"bird", "cat"}));
  c->SetSorted(false);
  for (const char* m : {"C", "A", "0"}) c->AddMember(m);
  EXPECT_EQ(c->ListMembers("x"), "bird, cat, C, A, 0");
  EXPECT_EQ(c->ListMembers(""), "");
}

TEST(Collection, LoadAndSaveMemberFiles) {
  test::TempDir dir;
  const std::string in = dir.File("in.txt"), out = dir.File("out.txt");
  test::WriteFile(in, "b\r\na\r\nB\r\nc \r\n");
  auto sorted = Make({"old"});
  sorted->LoadMembers(in);
  EXPECT_EQ(sorted->Members, (Lines{"a", "b", "c "}));
  auto unsorted = Make({"old"}, false);
  unsorted->LoadMembers(in);
  unsorted->LoadMembers(dir.File("missing.txt"));  // changes nothing
  EXPECT_EQ(unsorted->Members, (Lines{"b", "a", "B", "c "}));
  unsorted->SaveMembers(out);
  sorted->SaveMembers(out);  // replaces the longer file
  EXPECT_EQ(test::ReadFile(out), "a\r\nb\r\nc \r\n");
  test::WriteFile(in, "x\ny");
  sorted->LoadMembers(in);
  EXPECT_EQ(sorted->Members, (Lines{"x", "y"}));
}

TEST(Collection, FindingMembersInAContext) {
  auto c = Make({"tea", "ice cream"});
  EXPECT_EQ(c->FindMember("TEA and ice cream"), "ice cream");  // collection order, not text order
  EXPECT_EQ(c->FindMember("I like ice creams."), "~");
  EXPECT_EQ(c->FindMemberSub("I like ice creams."), "ice cream");
  EXPECT_EQ(c->FindMemberSub(""), "~");
  EXPECT_FALSE(c->HasMemberWord("steam"));
  EXPECT_TRUE(c->HasMemberIn("steam"));
  // By index only single-word members count, in collection order.
  auto colours = Make({"Red", "Blue", "Green", "ice cream", "R2"});
  EXPECT_EQ(colours->FindMemberAt("ice cream r2 green and blue", " 1 "), "Green");
  EXPECT_EQ(colours->FindMemberAt("ice cream r2 green and blue", "2"), "");
  EXPECT_EQ(SplitWords("It's 4 o'clock!"), (Lines{"IT", "S", "O", "CLOCK"}));
}

// Many members at once are merged by one sort; the result must be exactly
// what adding them one by one gives: the first of members equal but for
// case wins, whether it was there before or came first among the new.
TEST(Collection, AddingManyAtOnceEqualsAddingInTurn) {
  std::mt19937 rng(5);
  const char* words[] = {"ant", "Ant", "ANT", "bee", "Bee", "cow", "b", "B", "", " x", "x"};
  for (int round = 0; round < 200; ++round) {
    for (bool sorted : {true, false}) {
      DataCollectionClass batch, oneByOne;
      batch.SetSorted(sorted);
      oneByOne.SetSorted(sorted);
      for (int i = 0; i < static_cast<int>(rng() % 5); ++i) {
        const char* w = words[rng() % std::size(words)];
        batch.ListAdd(w);
        oneByOne.ListAdd(w);
      }
      std::vector<std::string> texts;
      for (int i = 0; i < static_cast<int>(rng() % 140); ++i) texts.push_back(words[rng() % std::size(words)]);
      for (const auto& t : texts) oneByOne.ListAdd(t);
      batch.AddAll(texts, SIZE_MAX);
      ASSERT_EQ(batch.Members, oneByOne.Members) << round;
    }
  }
}

// Growing past the limit changes nothing at all.
TEST(Collection, AddingPastTheLimitChangesNothing) {
  auto c = Make({"a", "b"});
  EXPECT_THROW(c->AddAll({"c", "d"}, 3), EngineError);
  EXPECT_EQ(c->Members, (Lines{"a", "b"}));
  c->AddAll({"A", "c"}, 3);  // "A" is there already
  EXPECT_EQ(c->Members, (Lines{"a", "b", "c"}));
  EXPECT_THROW(c->AddMember("d", 3), EngineError);
  c->AddMember("B", 3);  // present: nothing to add, nothing to refuse
  std::vector<std::string> many(100, "z");
  for (std::size_t i = 0; i < many.size(); ++i) many[i] += std::to_string(i);
  EXPECT_THROW(c->AddAll(many, 50), EngineError);
  EXPECT_EQ(c->Members, (Lines{"a", "b", "c"}));
  c->SetSorted(false);
  EXPECT_THROW(c->AddAll({"x"}, 3), EngineError);
  EXPECT_EQ(c->Members, (Lines{"a", "b", "c"}));

  test::TempDir dir;
  test::WriteFile(dir.File("m.txt"), "one\ntwo\nthree\nfour\n");
  EXPECT_THROW(c->LoadMembers(dir.File("m.txt"), 3), EngineError);
  EXPECT_EQ(c->Members, (Lines{"a", "b", "c"}));
  c->LoadMembers(dir.File("m.txt"), 4);
  EXPECT_EQ(c->Members, (Lines{"one", "two", "three", "four"}));
}

}  // namespace
}  // namespace varnex
