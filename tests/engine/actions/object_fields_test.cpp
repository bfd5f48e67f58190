#include "engine/template/object_fields.h"

#include <gtest/gtest.h>

#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

const char* kNamed =
    "For-Mode 0,0\n"
    "Name-Object {pat}\n"
    "  Fragment AND,0,0, {x}, {}, {}\n"
    "  Name-Object {frag}\n"
    "  Fragment Volition,0,0, {1}, {}, {}\n"
    "  Name-Object {vol}\n"
    "  Response {r},Task List,{},{}\n"
    "  Name-Object {resp}\n"
    "    Task {t},Just Text,{},{}\n"
    "    Name-Object {task}\n"
    "  Threshold 1,2\n"
    "  Name-Object {thr}\n"
    "  For-State {Calm}\n"
    "  Name-Object {st}\n"
    "Procedure {P}\n"
    "Name-Object {proc}\n"
    "Step {s},{prompt}\n"
    "Name-Object {step}\n"
    "  For-Step\n"
    "  Name-Object {sp}\n"
    "Start-Collection {c}\n"
    "End-Collection\n"
    "Name-Object {coll}\n";

TEST(SetObjectField, EveryClassAndConversion) {
  test::FixedClock clock(45000.25);
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kNamed);
  auto set = [&](const char* o, const char* f, const char* v) { SetObjectField(*b, o, f, v); };
  PatternClass& p = *b->Knowledge[0]->Patterns[0];
  WordFragmentClass& frag = *p.Fragments[0];

  set("FRAG", "bonus", "7");
  set("frag", "Penalty", " -$10");
  set("frag", "relation", " In Collection ");
  set("frag", "thename", "n");
  set("frag", "THEVALUE", "v");
  set("frag", "wordfrag", "w");
  EXPECT_EQ(frag.Bonus, 7);
  EXPECT_EQ(frag.Penalty, -16);
  EXPECT_EQ(frag.Relation, PatternType::InCollection);
  EXPECT_EQ(frag.TheName + frag.TheValue + frag.WordFrag, "nvw");
  set("frag", "bonus", "seven");
  set("frag", "relation", "Sideways");
  EXPECT_EQ(frag.Bonus, 0);
  EXPECT_EQ(frag.Relation, PatternType::None);

  set("vol", "WORDFRAG", "0.5");  // a Volition fragment sets its pattern's interval
  EXPECT_DOUBLE_EQ(p.VolitionWhen, 0.5);
  set("vol", "WORDFRAG", "soon");
  EXPECT_DOUBLE_EQ(p.VolitionWhen, 9999999.99);

  set("resp", "responsetype", "mode change");
  set("task", "OutText", "changed");
  EXPECT_EQ(p.Responses[0]->ResponseType, ResponseType::ModeChange);
  EXPECT_EQ(p.Responses[0]->Tasks[0]->OutText, "changed");
  set("thr", "threshfrom", "5");
  set("thr", "threshto", "x");
  EXPECT_EQ(p.Thresholds[0]->ThreshFrom, 5);
  EXPECT_EQ(p.Thresholds[0]->ThreshTo, 0);
  set("st", "state", "Wild");
  EXPECT_EQ(p.States[0]->State, "Wild");

  set("pat", "hitcount", "12");
  set("pat", "HasVolition", "y");
  set("pat", "VolitionWhen", "0.25");
  set("pat", "LastVolition", "junk");
  EXPECT_EQ(p.HitCount, 12);
  EXPECT_TRUE(p.HasVolition);
  EXPECT_DOUBLE_EQ(p.VolitionWhen, 0.25);
  EXPECT_DOUBLE_EQ(p.LastVolition, 45000.25);
  set("pat", "HasVolition", "1");
  EXPECT_FALSE(p.HasVolition);

  set("step", "theprompt", "new prompt");
  set("proc", "currentstep", "s");
  set("proc", "startstep", "s");
  EXPECT_EQ(b->Procs[0]->Steps[0]->ThePrompt, "new prompt");
  EXPECT_EQ(b->Procs[0]->CurrentStep, "s");

  set("MyBrain", "MYNAME", "Robo");
  EXPECT_EQ(b->MyName, "Robo");
  EXPECT_EQ(b->NamedObjects.Find("MyBrain"), b.get());  // still under its first name
  set("mybrain", "currentstate", "$7");
  EXPECT_EQ(b->CurrentState, 7);
  EXPECT_EQ(b->CurrentStateName(), "");  // out of range counts as none
  set("mybrain", "lastoutput", "remembered");
  set("mybrain", "lastoutput", "");
  EXPECT_EQ(b->OutputAt("0"), "remembered");
  set("mybrain", "LastInput", "ignored");
  EXPECT_GT(b->LastInput, 45000.25 - 1e-9);
  set("nobody", "bonus", "1");  // unknown objects change nothing and say nothing
  EXPECT_TRUE(rec.answers.empty());
}

TEST(SetObjectField, UnknownFieldsAreAnswered) {
  test::Recorder rec;
  auto b = test::MakeBrain(rec, false);
  test::Load(*b, kNamed);
  SetObjectField(*b, "task", "Colour", "red");
  SetObjectField(*b, "coll", "anything", "x");
  SetObjectField(*b, "coll", "", "x");  // an empty field name asks for nothing
  SetObjectField(*b, "sp", "THENAME", "x");
  EXPECT_EQ(rec.answers, (Lines{"Varnex Internal Error.  Unknown Named Object Class Field: task COLOUR",
                                "Varnex Internal Error.  Unknown Named Object Class Field: coll ANYTHING",
                                "Varnex Internal Error.  Unknown Named Object Class Field: sp THENAME"}));
}

}  // namespace
}  // namespace varnex
