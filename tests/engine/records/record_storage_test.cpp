// The compact text and child-list types every record is made of.
#include <gtest/gtest.h>

#include <string>

#include "engine/records/owned_list.h"
#include "engine/records/records.h"
#include "engine/records/text.h"

namespace varnex {
namespace {

TEST(RecordText, KeepsEveryLengthAndByte) {
  // Both sides of the inline limit, embedded zero bytes and high bytes.
  for (std::size_t n : {0u, 1u, 6u, 7u, 8u, 9u, 64u, 511u, 512u, 100000u}) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(i * 37));
    Text t(s);
    EXPECT_EQ(t.size(), n);
    EXPECT_EQ(t.empty(), n == 0);
    EXPECT_EQ(t.str(), s);
    Text copy = t;
    EXPECT_EQ(copy.view(), s);
    Text moved = std::move(copy);
    EXPECT_EQ(moved.view(), s);
    EXPECT_TRUE(copy.empty());  // NOLINT: a moved-from text is empty
  }
}

TEST(RecordText, AssignsAPartOfItself) {
  Text longText("a fairly long text that needs its own block");
  longText = longText.view().substr(2, 6);  // from a block into the inline form
  EXPECT_EQ(longText, "fairly");
  Text shortText("abcdefg");
  shortText = shortText.view().substr(1);
  EXPECT_EQ(shortText, "bcdefg");
  Text grow("0123456789abcdef");
  grow = grow.view().substr(1);  // block to block
  EXPECT_EQ(grow, "123456789abcdef");
  Text& same = grow;
  grow = same;  // self-assignment keeps the text
  EXPECT_EQ(grow, "123456789abcdef");
  grow = std::move(same);
  EXPECT_EQ(grow, "123456789abcdef");
}

// A child that notes when it is destroyed, and what its list held then.
struct Child {
  int id;
  std::vector<int>* log;
  ~Child() { log->push_back(id); }
};

std::vector<int> Ids(const OwnedList<Child>& list) {
  std::vector<int> ids;
  for (const auto& c : list) ids.push_back(c->id);
  return ids;
}

TEST(ChildList, InsertsErasesAndOwns) {
  std::vector<int> destroyed;
  {
    OwnedList<Child> list;
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
    for (int i = 1; i <= 20; ++i) list.push_back(std::make_unique<Child>(i, &destroyed));
    list.insert(list.begin(), std::make_unique<Child>(0, &destroyed));
    list.insert(list.begin() + 5, std::make_unique<Child>(100, &destroyed));
    list.insert(list.end(), std::make_unique<Child>(200, &destroyed));
    ASSERT_EQ(list.size(), 23u);
    EXPECT_EQ(list.front()->id, 0);
    EXPECT_EQ(list[5]->id, 100);
    EXPECT_EQ(list.back()->id, 200);
    EXPECT_THROW(list.at(23), std::out_of_range);

    auto next = list.erase(list.begin() + 5);
    EXPECT_EQ((*next)->id, 5);
    EXPECT_EQ(destroyed, std::vector<int>{100});
    list.erase(list.end() - 1);
    list.erase(list.begin());
    std::vector<int> expected;
    for (int i = 1; i <= 20; ++i) expected.push_back(i);
    EXPECT_EQ(Ids(list), expected);

    OwnedList<Child> other = std::move(list);
    EXPECT_TRUE(list.empty());  // NOLINT: a moved-from list is empty
    EXPECT_EQ(other.size(), 20u);
    destroyed.clear();
  }
  EXPECT_EQ(destroyed.size(), 20u);  // every child freed with its list
}

TEST(ChildList, ErasedChildSeesAConsistentList) {
  // A child whose destruction looks at the list it was erased from.
  struct Watcher {
    OwnedList<Watcher>* list;
    std::vector<std::size_t>* sizes;
    ~Watcher() {
      if (list) sizes->push_back(list->size());
    }
  };
  std::vector<std::size_t> sizes;
  OwnedList<Watcher> list;
  list.push_back(std::make_unique<Watcher>(nullptr, &sizes));
  list.push_back(std::make_unique<Watcher>(&list, &sizes));
  list.push_back(std::make_unique<Watcher>(nullptr, &sizes));
  list.erase(list.begin() + 1);
  EXPECT_EQ(sizes, std::vector<std::size_t>{2});
}

TEST(ChildList, TakesOverAListOneOfItsChildrenOwns) {
  struct Node {
    int id;
    OwnedList<Node> kids;
  };
  OwnedList<Node> list;
  list.push_back(std::make_unique<Node>(1));
  list[0]->kids.push_back(std::make_unique<Node>(2));
  list = std::move(list[0]->kids);  // the old child, and the list it held, go only afterwards
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->id, 2);
  OwnedList<Node>& same = list;
  list = std::move(same);  // moving a list onto itself keeps it
  EXPECT_EQ(list.size(), 1u);
}

TEST(ChildList, RecordsDeletedThroughTheirCommonRoot) {
  // Retired records of every kind are held as their common root and must be
  // destroyed as what they are, child lists and texts included.
  AnyRecord pattern(new PatternClass);
  auto* p = static_cast<PatternClass*>(pattern.get());
  auto f = std::make_unique<WordFragmentClass>();
  f->WordFrag = "a word long enough for a block of its own";
  p->Fragments.push_back(std::move(f));
  p->ObjectName = "a pattern with a long name";
  AnyRecord response = std::make_unique<ResponseClass>();
  pattern.reset();
  response.reset();
  SUCCEED();  // the sanitizer builds check the frees
}

}  // namespace
}  // namespace varnex
