#include "engine/records/brain.h"

#include <gtest/gtest.h>

#include "engine/records/attach.h"
#include "support/test_support.h"

namespace varnex {
namespace {

TEST(Brain, NewBrainHasItsDefaults) {
  BrainClass b;
  ASSERT_EQ(b.Knowledge.size(), 1u);
  EXPECT_EQ(b.KnowledgeNames[0], "Default");
  EXPECT_EQ(b.CurrentMode, 0);
  EXPECT_EQ(b.CurrentStateName(), "Normal");
  EXPECT_EQ(b.CurrentProc, -1);
  EXPECT_EQ(b.MyName, "MyBrain");
  EXPECT_EQ(b.NamedObjects.Size(), 1u);
  EXPECT_EQ(b.NamedObjects.Find("mybrain"), &b);
}

TEST(Brain, RegistriesCompareNamesIgnoringCase) {
  BrainClass b;
  auto k = std::make_unique<KnowledgeClass>();
  KnowledgeClass* replacement = k.get();
  b.AddKnowledge("default", std::move(k));
  EXPECT_EQ(b.Knowledge.size(), 1u);
  EXPECT_EQ(b.Knowledge[0].get(), replacement);
  EXPECT_EQ(b.CurrentMode, 0);

  b.AddState("Normal");
  b.AddState("NORMAL");
  EXPECT_EQ(b.StateNames.size(), 1u);

  b.AddFact("Colour", "red");
  b.AddFact("COLOUR", "blue");
  ASSERT_EQ(b.FactNames.size(), 1u);
  EXPECT_EQ(b.FactNames[0], "Colour");
  EXPECT_EQ(b.GetFact("colour"), "blue");
  EXPECT_EQ(b.GetFact("missing"), "#");

  b.AddCollection("", std::make_unique<DataCollectionClass>());
  b.AddProc("", std::make_unique<ProcClass>());
  EXPECT_TRUE(b.Collections.empty());
  EXPECT_TRUE(b.Procs.empty());

  b.AddCollection("zeta", std::make_unique<DataCollectionClass>());
  b.AddCollection("Alpha", std::make_unique<DataCollectionClass>());
  b.AddCollection("beta", std::make_unique<DataCollectionClass>());
  ASSERT_EQ(b.Collections.size(), 3u);
  EXPECT_EQ(b.Collections[0].Name, "Alpha");
  EXPECT_EQ(b.Collections[2].Name, "zeta");
  EXPECT_NE(b.FindCollection("ALPHA"), nullptr);
}

TEST(Brain, ReplacedRecordsLeaveEveryRegistry) {
  BrainClass b;
  auto k = std::make_unique<KnowledgeClass>();
  auto p = std::make_unique<PatternClass>();
  p->ObjectName = "hello";
  PatternClass* pattern = AddPatternToKnowledge(*k, std::move(p));
  b.AddKnowledge("Other", std::move(k));
  auto f = std::make_unique<WordFragmentClass>();
  f->Relation = PatternType::DoBefore;
  AddFragmentToPattern(*pattern, std::move(f));
  // The pattern was named before its knowledge joined the brain, so only
  // the Do-Before entry knows it; register it by hand as the reader would.
  b.NamedObjects.Add("hello", pattern);
  ASSERT_EQ(b.DoBefore.size(), 1u);

  b.AddKnowledge("other", std::make_unique<KnowledgeClass>());
  EXPECT_TRUE(b.DoBefore.empty());
  EXPECT_EQ(b.NamedObjects.Find("hello"), nullptr);
}

}  // namespace
}  // namespace varnex
