#include "engine/template/collection.h"

#include <gtest/gtest.h>

#include <set>

#include "support/test_support.h"

namespace varnex {
namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<DataCollectionClass> Make(std::initializer_list<const char*> members, bool sorted = true) {
  auto c = std::make_unique<DataCollectionClass>();
  c->SetSorted(sorted);
  for (const char* m : members) c->AddMember(m);
  return c;
}

TEST(Collection, SortedAddIgnoresCaseDuplicatesAndTrims) {
  auto c = Make({"Dog", "dog", "  cat ", "bird", ""});
  EXPECT_EQ(c->Members, (Lines{"bird", "cat", "Dog"}));
  c->AddMember("   ");  // blanks only: the empty member
  EXPECT_EQ(c->Members, (Lines{"", "bird", "cat", "Dog"}));
  c->RemoveMember(" DOG ");
  c->RemoveMember("fish");
  c->RemoveMember("");  // an empty argument does nothing...
  EXPECT_EQ(c->Members, (Lines{"", "bird", "cat"}));
  c->RemoveMember("  ");  // ...but blanks trim to the empty member
  EXPECT_EQ(c->Members, (Lines{"bird", "cat"}));
}

TEST(Collection, UnsortedKeepsArrivalOrder) {
  auto c = Make({"b", "a"});
  c->SetSorted(false);
  for (const char* m : {"C", "A", "0"}) c->AddMember(m);
  EXPECT_EQ(c->Members, (Lines{"a", "b", "C", "0"}));
  EXPECT_EQ(c->ListMembers("x"), "a, b, C, 0");
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
  EXPECT_EQ(unsorted->Members, (Lines{"b", "a", "B", "c "}));
  unsorted->LoadMembers(dir.File("missing.txt"));
  EXPECT_EQ(unsorted->Members.size(), 4u);

  unsorted->SaveMembers(out);
  EXPECT_EQ(test::ReadFile(out), "b\r\na\r\nB\r\nc \r\n");
  sorted->RemoveMember("b");
  sorted->SaveMembers(out);  // replaces the longer file
  EXPECT_EQ(test::ReadFile(out), "a\r\nc \r\n");
  sorted->SaveMembers(dir.File("no/such/dir.txt"));  // ignored

  test::WriteFile(in, "x\ny");
  sorted->LoadMembers(in);
  EXPECT_EQ(sorted->Members, (Lines{"x", "y"}));
}

TEST(Collection, FindingMembersInAContext) {
  auto c = Make({"tea", "ice cream"});
  EXPECT_EQ(c->FindMember("I like ice cream."), "ice cream");
  EXPECT_EQ(c->FindMember("I like ice creams."), "~");
  EXPECT_EQ(c->FindMemberSub("I like ice creams."), "ice cream");
  EXPECT_EQ(c->FindMember("TEA and ice cream"), "ice cream");  // collection order, not text order
  EXPECT_EQ(c->FindMember(""), "~");
  EXPECT_EQ(c->FindMemberSub(""), "~");
  EXPECT_FALSE(c->HasMemberWord("steam"));
  EXPECT_TRUE(c->HasMemberIn("steam"));
  EXPECT_FALSE(c->HasMemberIn(""));
  EXPECT_FALSE(Make({})->HasMemberWord("tea"));
}

TEST(Collection, FindMemberAtKeepsSingleWordMembersInCollectionOrder) {
  auto c = Make({"Red", "Blue", "Green", "ice cream", "R2"});
  EXPECT_EQ(c->FindMemberAt("green and blue", "1"), "Green");
  EXPECT_EQ(c->FindMemberAt("green and blue", " 0 "), "Blue");
  for (const char* index : {"2", "-1", "x"}) EXPECT_EQ(c->FindMemberAt("green and blue", index), "") << index;
  EXPECT_EQ(c->FindMemberAt("", "0"), "");
  EXPECT_EQ(c->FindMemberAt("ice cream r2 red", "0"), "Red");
  EXPECT_EQ(c->FindMemberAt("ice cream r2 red", "1"), "");
  EXPECT_EQ(SplitWords("It's 4 o'clock!"), (Lines{"IT", "S", "O", "CLOCK"}));
  EXPECT_EQ(SplitWords("a-a"), (Lines{"A", "A"}));
  EXPECT_TRUE(SplitWords("").empty());
}

TEST(Collection, PickMemberByIndexOrAtRandom) {
  auto c = Make({"a", "b", "c"});
  EXPECT_EQ(c->PickMember("C|1"), "b");
  EXPECT_EQ(c->PickMember("C| 2 "), "c");
  EXPECT_EQ(c->PickMember("C|x"), "a");
  EXPECT_EQ(c->PickMember("C|-1"), "");
  EXPECT_EQ(c->PickMember("C|3"), "");
  EXPECT_EQ(c->PickMember(""), "");
  EXPECT_EQ(Make({})->PickMember("C"), "");
  std::set<std::string> seen;
  for (int i = 0; i < 300; ++i) seen.insert(c->PickMember("C"));
  EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace varnex
