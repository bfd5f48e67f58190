#include "engine/actions/brain_state_actions.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace varnex {
namespace {

TEST(BrainState, CollectionActionsCreateOnlyWhereTheyShould) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec);
  rec.trace.clear();
  RemoveFromCollection(*b, "pets", "dog");
  EXPECT_EQ(b->FindCollection("pets"), nullptr);
  AddToCollection(*b, "pets", " dog ");
  AddToCollection(*b, "PETS", "Dog");
  EXPECT_EQ(b->FindCollection("pets")->Members, (Lines{"dog"}));
  EXPECT_EQ(rec.trace, (Lines{"[Remove Member]: {dog} From: {pets}", "[Add Member]: { dog } To: {pets}",
                              "[Add Member]: {Dog} To: {PETS}"}));

  ClearCollection(*b, "nothing");
  SaveCollection(*b, "nothing", "/nonexistent/x");
  SetUnsorted(*b, "nothing");
  MergeCollection(*b, "nothing", "target");
  ParseCollection(*b, "nothing", "target", "text");
  EXPECT_EQ(b->FindCollection("target"), nullptr);

  WordsToCollection(*b, "red, blue & green7", "colours");
  EXPECT_EQ(b->FindCollection("colours")->Members, (Lines{"BLUE", "GREEN", "RED"}));

  AddToCollection(*b, "list", "b");
  SetUnsorted(*b, "list");
  AddToCollection(*b, "list", "a");
  MergeCollection(*b, "pets", "list");
  MergeCollection(*b, "pets", "list");  // unsorted: appended again
  EXPECT_EQ(b->FindCollection("list")->Members, (Lines{"b", "a", "dog", "dog"}));
  MergeCollection(*b, "list", "pets");  // sorted: no repeats
  EXPECT_EQ(b->FindCollection("pets")->Members, (Lines{"a", "b", "dog"}));

  AddToCollection(*b, "words", "ice cream");
  AddToCollection(*b, "words", "cat");
  ParseCollection(*b, "words", "found", "I like ice cream and concatenation");
  EXPECT_EQ(b->FindCollection("found")->Members, (Lines{"ice cream"}));
}

TEST(BrainState, MemberFilesRoundTrip) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::TempDir dir;
  test::WriteFile(dir.File("in.txt"), "b\r\na\nb\n");
  LoadCollection(*b, "sorted", dir.File("in.txt"));
  EXPECT_EQ(b->FindCollection("sorted")->Members, (Lines{"a", "b"}));
  AddToCollection(*b, "plain", "x");
  SetUnsorted(*b, "plain");
  LoadCollection(*b, "plain", dir.File("in.txt"));
  EXPECT_EQ(b->FindCollection("plain")->Members, (Lines{"b", "a", "b"}));
  LoadCollection(*b, "plain", dir.File("missing.txt"));  // unchanged
  EXPECT_EQ(b->FindCollection("plain")->Members.size(), 3u);
  SaveCollection(*b, "plain", dir.File("out.txt"));
  EXPECT_EQ(test::ReadFile(dir.File("out.txt")), "b\r\na\r\nb\r\n");
}

}  // namespace
}  // namespace varnex
