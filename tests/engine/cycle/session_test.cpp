// Conversations taking turns with one brain must each go exactly as they
// would alone: facts, states, modes, hit counts and thresholds, random
// draws, procedures and collections (changed, and made) all follow their
// own conversation. A blob that cannot be read changes nothing.
#include "engine/records/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/base/random.h"
#include "engine/cycle/input_cycle.h"
#include "engine/records/state_dump.h"
#include "support/language_support.h"
#include "support/test_support.h"

namespace varnex {
namespace {

const char* const kBrain =
    "State {Calm}\nState {Cross}\nFact {name} = {friend}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {hello}, {}, {}\n"
    "  Response {Hello ^Fact{name}, you are ^State{}.},Just Text,{},{}\n"
    "  Threshold 3,100\n  Response {Hello again and again.},Just Text,{},{}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {call}, {}, {}\n  Fragment AND,0,0, {me}, {}, {}\n"
    "  Response {Call you ^Input{0}},Assignment,{name},{^Input{0}}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {angry}, {}, {}\n  Response {Grr.},State Change,{Cross},{}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {again}, {}, {}\n  Response {From the top.},Reset KM Hits,{},{}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {roll}, {}, {}\n"
    "  Response {one},Just Text,{},{}\n  Response {two},Just Text,{},{}\n  Response {three},Just Text,{},{}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {like}, {}, {}\n"
    "  Response {Noted: ^Members{likes}},Add To Collection,{likes},{^Input{0}}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {forget}, {}, {}\n"
    "  Response {Forgotten.},Remove From Collection,{fruit},{apple}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {fruit}, {}, {}\n  Response {Fruit: ^Members{fruit}},Just Text,{},{}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {quiz}, {}, {}\n  Response {Quiz!},Start Proc,{Quiz},{}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {away}, {}, {}\n  Response {Off to the side.},Mode Change,{Side},{}\n"
    "Mode {Side}\n"
    "For-Mode 0,0\n  Fragment AND,0,0, {back}, {}, {}\n  Response {Back.},Mode Change,{Default},{}\n"
    "For-Mode -5,0\n  Response {Side here.},Just Text,{},{}\n"
    "Procedure {Quiz}\n"
    "Step {Q1},{Two and two?}\nFor-Step\n  Fragment AND,0,0, {four}, {}, {}\n"
    "  Response {Right! Next.},Goto Step,{Q2},{}\n"
    "For-Step\n  Response {No. Two and two?},Just Text,{},{}\n"
    "Step {Q2},{Capital of France?}\nFor-Step\n  Fragment AND,0,0, {paris}, {}, {}\n"
    "  Response {Done!},Halt Proc,{},{}\n"
    "For-Step\n  Response {No. France?},Just Text,{},{}\n"
    "Start-Collection {fruit}\napple\npear\nEnd-Collection\n";

const std::vector<std::string> kFirst = {"hello",  "call me Ann", "hello", "like tea", "roll",  "quiz",
                                         "three",  "four",        "paris", "forget",   "fruit", "angry",
                                         "hello",  "away",        "hmm",   "back",     "roll",  "hello",
                                         "again",  "hello",       "hello", "hello"};
const std::vector<std::string> kSecond = {"roll", "like cake", "fruit", "quiz", "four", "hello",
                                          "hello", "hello",    "hello", "roll", "like pie", "fruit",
                                          "away",  "roll",     "back",  "angry", "call me Bo", "hello",
                                          "hello", "again",    "hello", "roll"};

// A brain read and started: the state every conversation begins from.
std::unique_ptr<BrainClass> Fresh(std::vector<std::string>& said) {
  auto b = std::make_unique<BrainClass>([&said](const std::string& s) { said.push_back(s); });
  test::Load(*b, kBrain);
  MarkBrainAsRead(*b);
  return b;
}

// The answers of one conversation alone in a brain of its own, and its
// state at the end.
// Each input of a conversation comes a minute after its previous one.
std::pair<std::vector<std::string>, std::string> Alone(const std::vector<std::string>& inputs) {
  std::vector<std::string> said;
  test::FixedClock clock(45000.0);
  FixRandomSeed(3);
  auto b = Fresh(said);
  for (const auto& in : inputs) {
    clock.Advance(1.0 / 1440);
    ProcessInput(*b, in);
  }
  return {said, DumpState(*b)};
}

TEST(Session, ConversationsTakingTurnsGoAsEachWouldAlone) {
  const auto [firstAlone, firstState] = Alone(kFirst);
  const auto [secondAlone, secondState] = Alone(kSecond);

  std::vector<std::string> said;
  test::FixedClock clock(45000.0);
  FixRandomSeed(3);
  auto b = Fresh(said);
  const std::string start = SaveSession(*b);
  std::string sessions[2] = {start, start};
  std::vector<std::string> answers[2];
  for (std::size_t i = 0; i < kFirst.size(); ++i) {
    clock.Advance(1.0 / 1440);
    for (int who = 0; who < 2; ++who) {
      RestoreSession(*b, sessions[who]);
      said.clear();
      ProcessInput(*b, (who == 0 ? kFirst : kSecond)[i]);
      answers[who].insert(answers[who].end(), said.begin(), said.end());
      sessions[who] = SaveSession(*b);
    }
  }
  EXPECT_EQ(answers[0], firstAlone);
  EXPECT_EQ(answers[1], secondAlone);
  RestoreSession(*b, sessions[0]);
  EXPECT_EQ(DumpState(*b), firstState);
  RestoreSession(*b, sessions[1]);
  EXPECT_EQ(DumpState(*b), secondState);
  // And back to the start: a new conversation meets the brain as read.
  RestoreSession(*b, start);
  std::vector<std::string> unused;
  clock.Set(45000.0);  // when the brain was read
  FixRandomSeed(3);
  EXPECT_EQ(DumpState(*b), DumpState(*Fresh(unused)));
}

TEST(Session, ABlobThatCannotBeReadChangesNothing) {
  test::FixedClock clock(45000.0);
  std::vector<std::string> said;
  auto b = Fresh(said);
  ProcessInput(*b, "call me Ann");
  ProcessInput(*b, "like tea");
  const std::string blob = SaveSession(*b);
  ProcessInput(*b, "angry");
  const std::string before = DumpState(*b);
  auto refused = [&](std::string damaged, const std::string& why) {
    try {
      RestoreSession(*b, damaged);
      ADD_FAILURE() << "accepted: " << why;
    } catch (const SessionError& e) {
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
    EXPECT_EQ(DumpState(*b), before) << why;
  };
  refused("", "not a session blob");
  refused(blob.substr(0, blob.size() - 1), "length");
  std::string flipped = blob;
  flipped[blob.size() / 2] ^= 0x20;
  refused(flipped, "checksum");
  std::string newer = blob;
  newer[6] = 3;  // the version's low byte
  refused(newer, "format version 3; this program reads versions 1 to 2");
  // A change in one byte, wherever it is, fails the checksum.
  for (std::size_t at = 24; at < blob.size(); at += 7) {
    std::string changed = blob;
    changed[at] = static_cast<char>(changed[at] ^ (1 << (at % 8)));
    try {
      RestoreSession(*b, changed);
      ADD_FAILURE() << "a change at byte " << at << " was not found";
    } catch (const SessionError&) {
    }
  }
  EXPECT_EQ(DumpState(*b), before);
  // The blob as saved is read, and gives back the conversation it holds.
  RestoreSession(*b, blob);
  EXPECT_EQ(b->GetFact("name"), "call me Ann");
  EXPECT_EQ(b->CurrentStateName(), "Normal");
  // So is one of format version 1, kept in a store by an earlier program:
  // the same payload, with an FNV-1a checksum of it.
  ProcessInput(*b, "angry");
  std::string older = blob;
  older[6] = 1;
  uint64_t sum = 1469598103934665603ull;
  for (const unsigned char c : older.substr(24)) sum = (sum ^ c) * 1099511628211ull;
  std::memcpy(older.data() + 16, &sum, 8);
  RestoreSession(*b, older);
  EXPECT_EQ(b->GetFact("name"), "call me Ann");
  EXPECT_EQ(b->CurrentStateName(), "Normal");
}

// A clause that resets its own count and is hit again keeps one mark: a
// long conversation must not grow the list it is saved from.
TEST(Session, AClauseResetAndHitAgainIsMarkedOnce) {
  std::vector<std::string> said;
  auto b = std::make_unique<BrainClass>([&said](const std::string& s) { said.push_back(s); });
  test::Load(*b,
             "For-Mode 0,0\n  Fragment AND,0,0, {again}, {}, {}\n  Response {Again.},Reset Hits,{},{}\n"
             "For-Mode 0,0\n  Fragment AND,0,0, {count}, {}, {}\n  Response {Counted.},Just Text,{},{}\n");
  const std::string start = SaveSession(*b);
  for (int i = 0; i < 50; ++i) {
    ProcessInput(*b, "again");
    ProcessInput(*b, "count");
  }
  EXPECT_EQ(b->Knowledge[0]->HitMarked.size(), 2u);
  EXPECT_EQ(b->Knowledge[0]->Patterns[1]->HitCount, 50);
  // The count goes with its conversation, and away with it.
  const std::string blob = SaveSession(*b);
  RestoreSession(*b, start);
  EXPECT_EQ(b->Knowledge[0]->Patterns[1]->HitCount, 0);
  EXPECT_TRUE(b->Knowledge[0]->HitMarked.empty());
  RestoreSession(*b, blob);
  EXPECT_EQ(b->Knowledge[0]->Patterns[1]->HitCount, 50);
}

TEST(Session, WithLearningOffTheBrainStaysAsWritten) {
  const char* const learner =
      "For-Mode 0,0\n  Fragment AND,0,0, {teach}, {}, {}\n"
      "  Response {I will remember that.},Create AutoPattern,{},{fact learnt}\n"
      "  Response {Noted.},Task List,{},{}\n  Task {x},Add Response,{},{}\n  Task {ok},Assignment,{taught},{yes}\n";
  for (bool off : {false, true}) {
    std::vector<std::string> said, trace;
    BrainClass b([&](const std::string& s) { said.push_back(s); });
    test::Load(b, learner);
    b.LearningOff = off;
    b.TraceStart([&](const std::string& s) { trace.push_back(s); });
    FixRandomSeed(1);
    for (int i = 0; i < 6; ++i) ProcessInput(b, "teach me");
    const std::size_t clauses = b.Knowledge.front()->Patterns.size();
    const std::size_t responses = b.Knowledge.front()->Patterns.front()->Responses.size();
    if (off) {
      EXPECT_EQ(clauses, 1u);
      EXPECT_EQ(responses, 2u);
      // The rest of a task list still runs; the response that learns says nothing.
      EXPECT_EQ(b.GetFact("taught"), "yes");
      EXPECT_EQ(std::count(said.begin(), said.end(), "I will remember that."), 0);
      EXPECT_NE(std::find(trace.begin(), trace.end(), "[Learning Off]: Create AutoPattern"), trace.end());
    } else {
      EXPECT_GT(clauses + responses, 3u);
    }
  }
}

}  // namespace
}  // namespace varnex
