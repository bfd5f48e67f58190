// Records replaced while the engine still holds them are never used after
// they are destroyed (these tests matter most under AddressSanitizer).
#include <gtest/gtest.h>

#include "engine/core/brain.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(Lifetime, ModeReplacedWhileItAnswers) {
  std::vector<std::string> answers;
  BrainClass* self = nullptr;
  BrainClass b([&](const std::string& s) {
    answers.push_back(s);
    // The answering mode, its Do-Before pattern and the responding pattern
    // are all replaced in the middle of the cycle.
    if (answers.size() == 2) self->AddKnowledge("Default", std::make_unique<KnowledgeClass>());
  });
  self = &b;
  test::Load(b,
             "For-Mode 0,0\n"
             "Name-Object {early}\n"
             "  Fragment Do-Before,0,0, {}, {}, {}\n"
             "  Response {before},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "Name-Object {main}\n"
             "  Fragment AND,0,0, {hi}, {}, {}\n"
             "  Response {main},Task List,{},{}\n"
             "    Task {task},Just Text,{},{}\n"
             "For-Mode 0,0\n"
             "  Fragment Do-After,0,0, {}, {}, {}\n"
             "  Response {after},Just Text,{},{}\n");
  b.ProcessInput("hi");
  // Do-After patterns of the replaced mode are gone before their turn.
  EXPECT_EQ(answers, (Lines{"before", "task", "main"}));
  EXPECT_EQ(b.NamedObjects.Find("main"), nullptr);
  EXPECT_TRUE(b.DoBefore.empty());
  EXPECT_TRUE(b.DoAfter.empty());
  b.ProcessInput("hi");
  EXPECT_EQ(answers.back(), "Sorry, I can't answer you because I don't know anything at all yet...");
}

TEST(Lifetime, CollectionReplacedWhileATagReadsIt) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b,
             "Start-Collection {pets}\ndog\nEnd-Collection\n"
             "For-Mode 0,0\n"
             "  Response {},Task List,{},{}\n"
             "    Task {},Add To Collection,{pets},{cat}\n"
             "    Task {^Member{pets}},Just Text,{},{}\n");
  b->AddCollection("PETS", std::make_unique<DataCollectionClass>());
  b->ProcessInput("my dog and cat");
  EXPECT_EQ(rec.answers, (Lines{"cat", ""}));
}

}  // namespace
}  // namespace varnex
