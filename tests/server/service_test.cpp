// The session service: conversations kept apart, inputs refused whole
// (nothing of them kept) when the store fails, damaged sessions reported
// and left alone, reloads that keep sessions, and the shared brain's
// learning saved and read again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "server/service.h"
#include "support/test_support.h"

namespace varnex::server {
namespace {

using test::TempDir;

const char* const kBrain = R"(
Varnex 9.0 Varnex-Language File
Service test brain
All Rights Reserved

-------States--------
-------Modes---------
For-Mode -1000,1000
Name-Object {Welcome}
  Fragment Initialize,0,0, {}, {}, {}
  Response {Welcome.},Just Text,{},{}

For-Mode 0,0
Name-Object {Remember}
  Fragment EXTRACT,400,100, {my name is ^Extr{NAME}}, {}, {}
  Response {Hello ^Fact{NAME}.},Just Text,{},{}

For-Mode 10,100
Name-Object {Recall}
  Fragment AND,0,0, {who}, {}, {}
  Response {You are ^Fact{NAME}.},Just Text,{},{}

For-Mode 0,0
Name-Object {Learn}
  Fragment EXTRACT,400,100, {when I say ^Extr{Trigger} answer ^Extr{Reply}}, {}, {}
  Response {Learnt.},Task List,{},{}
    Task {^Fact{Trigger}},Create AutoPattern,{30},{^Fact{Reply}}

For-Mode -50,0
Name-Object {Other}
  Response {Pardon?},Just Text,{},{}

-----Procedures------
-------Facts---------
Fact {NAME} = {nobody}
-----Collections-----
)";

// A store whose writes can be made to fail, as a full disk would.
class FlakyStore : public SessionStore {
 public:
  std::unique_ptr<SessionStore> inner = MakeMemoryStore();
  bool failWrites = false;
  std::string Describe() const override { return "flaky"; }
  StoreResult Load(const std::string& id, std::optional<StoredSession>& out) override { return inner->Load(id, out); }
  StoreResult Save(const std::string& id, std::string_view blob, int64_t expected) override {
    if (failWrites) return StoreResult::Failure("the session store failed: database or disk is full");
    return inner->Save(id, blob, expected);
  }
  StoreResult Erase(const std::string& id, bool& found) override { return inner->Erase(id, found); }
  int64_t Count() const override { return inner->Count(); }
  bool InMemory() const override { return true; }
};

class Service : public testing::Test {
 protected:
  void SetUp() override {
    options_.brain = dir_.File("t.vlf");
    test::WriteFile(options_.brain, kBrain);
  }
  void Open() {
    service_.reset();  // a service learning for the brain holds it until it is gone
    auto store = std::make_unique<FlakyStore>();
    store_ = store.get();
    std::vector<std::string> messages;
    std::string error;
    service_ = SessionService::Open(options_, std::move(store), messages, error);
    ASSERT_TRUE(service_) << error;
    EXPECT_TRUE(messages.empty()) << messages[0];
  }
  // The answers to an input, or the error.
  std::vector<std::string> Say(const std::string& id, const std::string& input, int expect = 200) {
    Turn turn;
    const Status s = service_->Input(id, input, false, false, turn);
    EXPECT_EQ(s.code, expect) << id << " \"" << input << "\": " << s.error;
    if (!s.Ok()) return {"error " + std::to_string(s.code) + ": " + s.error};
    return turn.answers;
  }
  using Lines = std::vector<std::string>;

  TempDir dir_;
  ServiceOptions options_;
  FlakyStore* store_ = nullptr;
  std::unique_ptr<SessionService> service_;
};

TEST_F(Service, ConversationsKeepTheirOwnFacts) {
  Open();
  Turn turn;
  ASSERT_TRUE(service_->Input("ann", "my name is Ann", false, false, turn).Ok());
  EXPECT_TRUE(turn.started);
  EXPECT_EQ(turn.answers, (Lines{"Welcome.", "Hello Ann."}));  // the Initialize answer comes first, once
  EXPECT_EQ(turn.version, 1);
  EXPECT_EQ(Say("bo", "my name is Bo"), (Lines{"Welcome.", "Hello Bo."}));
  EXPECT_EQ(Say("ann", "who"), Lines{"You are Ann."});
  EXPECT_EQ(Say("bo", "who"), Lines{"You are Bo."});
  EXPECT_EQ(Say("cy", "who"), (Lines{"Welcome.", "You are nobody."}));

  SessionView view;
  ASSERT_TRUE(service_->Show("ann", view).Ok());
  EXPECT_EQ(view.version, 2);
  EXPECT_EQ(view.mode, "Default");
  EXPECT_EQ(view.facts, (std::vector<std::pair<std::string, std::string>>{{"NAME", "Ann"}}));

  // Started again: as new, its name forgotten.
  Turn reset;
  ASSERT_TRUE(service_->Reset("ann", false, reset).Ok());
  EXPECT_EQ(reset.answers, Lines{"Welcome."});
  EXPECT_EQ(Say("ann", "who"), Lines{"You are nobody."});
}

// Sessions answered from many threads at once stay apart.
TEST_F(Service, ParallelConversationsStayApart) {
  options_.threads = 3;
  options_.rate = 0;
  Open();
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 6; ++t)
    threads.emplace_back([&, t] {
      const std::string name = "User" + std::to_string(t);
      for (int i = 0; i < 25; ++i) {
        Turn turn;
        const std::string id = name + "-" + std::to_string(i % 5);
        if (!service_->Input(id, i < 5 ? "my name is " + name : "who", false, false, turn).Ok()) ++wrong;
        if (i >= 5 && turn.answers != Lines{"You are " + name + "."}) ++wrong;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(store_->Count(), 30);
}

TEST_F(Service, RefusesBadRequestsWithTheirStatus) {
  options_.maxInput = 10;
  options_.maxSessions = 2;
  Open();
  for (const std::string& id : std::vector<std::string>{"", std::string(129, 'a'), "a/b", "a b", "caf\xc3\xa9", "..%"})
    EXPECT_EQ(Say(id, "who", 400).size(), 1u) << id;
  EXPECT_EQ(Say(std::string(128, 'a'), "who").size(), 2u);
  EXPECT_EQ(Say("ann", "my name is Annabelle", 400)[0], "error 400: the input has 20 bytes, over the limit of 10");
  EXPECT_EQ(store_->Count(), 1);  // nothing kept of a refused input, not even a new session

  SessionView view;
  EXPECT_EQ(service_->Show("nobody", view).code, 404);
  EXPECT_EQ(service_->Delete("nobody").code, 404);
  EXPECT_EQ(Say("ann", "who").size(), 2u);
  EXPECT_NE(Say("bo", "who", 503)[0].find("--max-sessions"), std::string::npos);
  EXPECT_EQ(service_->Delete("ann").code, 204);
  EXPECT_EQ(service_->Show("ann", view).code, 404);
}

TEST_F(Service, LimitsTheRateOfEachSession) {
  options_.rate = 2;
  Open();
  Say("ann", "who");
  Say("ann", "who");
  EXPECT_NE(Say("ann", "who", 429)[0].find("send it again later"), std::string::npos);
  Say("bo", "who");  // others are not held back
}

TEST_F(Service, AFailedWriteKeepsNothingOfTheInput) {
  Open();
  Say("ann", "my name is Ann");
  store_->failWrites = true;
  const std::string error = Say("ann", "my name is Zed", 503)[0];
  EXPECT_NE(error.find("disk is full"), std::string::npos) << error;
  EXPECT_NE(error.find("not kept"), std::string::npos) << error;
  Say("new", "who", 503);
  store_->failWrites = false;
  EXPECT_EQ(Say("ann", "who"), Lines{"You are Ann."});
  EXPECT_EQ(Say("new", "who"), (Lines{"Welcome.", "You are nobody."}));  // still new: its first try was not kept
}

TEST_F(Service, ADamagedSessionIsReportedAndLeftAsItIs) {
  Open();
  // A blob that does not hold, and a deflated value that does not inflate.
  const std::string damaged[] = {"VXSESS and then nonsense",
                                 std::string("VXZ\x01\x10\0\0\0\0\0\0\0not deflate data", 27)};
  for (const std::string& value : damaged) {
    bool found = false;
    ASSERT_TRUE(store_->inner->Erase("ann", found).Ok());
    ASSERT_TRUE(store_->inner->Save("ann", value, 0).Ok());
    const std::string error = Say("ann", "who", 500)[0];
    EXPECT_NE(error.find("cannot be restored"), std::string::npos) << error;
    SessionView view;
    EXPECT_EQ(service_->Show("ann", view).code, 500);
    Turn beat;
    EXPECT_EQ(service_->Tick("ann", beat).code, 500);
    std::optional<StoredSession> stored;
    ASSERT_TRUE(store_->Load("ann", stored).Ok());
    EXPECT_EQ(stored->version, 1);  // left as it was
    // Started again, it works.
    Turn turn;
    ASSERT_TRUE(service_->Reset("ann", false, turn).Ok()) << value;
    EXPECT_EQ(Say("ann", "who"), Lines{"You are nobody."});
  }
}

TEST_F(Service, ReloadingKeepsSessionsOnTheNewBrain) {
  Open();
  Say("ann", "my name is Ann");
  std::string edited = kBrain;
  edited.replace(edited.find("You are ^Fact{NAME}."), 20, "Still you, ^Fact{NAME}.");
  test::WriteFile(options_.brain, edited);
  std::vector<std::string> messages;
  ASSERT_TRUE(service_->Reload(messages).Ok());
  EXPECT_EQ(Say("ann", "who"), Lines{"Still you, Ann."});

  std::filesystem::remove(options_.brain);
  const Status failed = service_->Reload(messages);
  EXPECT_EQ(failed.code, 500);
  EXPECT_NE(failed.error.find("goes on"), std::string::npos) << failed.error;
  EXPECT_EQ(Say("ann", "who"), Lines{"Still you, Ann."});
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// Reloads asked for on any thread (a signal's, an HTTP worker's) must not
// leave the memory of the brains they replace behind: a long-running
// service is reloaded at every deployment.
TEST_F(Service, ReloadsFromAnyThreadGiveTheOldBrainsMemoryBack) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator holds freed memory back on purpose, and
  // records are then plain allocations: nothing here to measure.
  GTEST_SKIP() << "resident memory is not the program's own under AddressSanitizer";
#endif
  std::string big = kBrain;
  std::string clauses;
  for (int i = 0; i < 20000; ++i)
    clauses += "For-Mode 0,0\n  Fragment AND,0,0, {word" + std::to_string(i) + "}, {}, {}\n  Fragment AND,0,0, {other" +
               std::to_string(i) + "}, {}, {}\n  Response {Answer " + std::to_string(i) + ".},Just Text,{},{}\n";
  big.insert(big.find("For-Mode -50,0"), clauses);
  test::WriteFile(options_.brain, big);
  const long before = ResidentKiB();
  Open();
  const long brains = ResidentKiB() - before;  // one reading: the worker brains
  const auto reloadOnItsOwnThread = [&] {
    std::thread([&] {
      std::vector<std::string> messages;
      EXPECT_TRUE(service_->Reload(messages).Ok());
    }).join();
    EXPECT_EQ(Say("ann", "word17 other17"), Lines{"Answer 17."});
  };
  EXPECT_EQ(Say("ann", "word17 other17"), (Lines{"Welcome.", "Answer 17."}));
  for (int i = 0; i < 2; ++i) reloadOnItsOwnThread();
  const long settled = ResidentKiB();
  for (int i = 0; i < 6; ++i) reloadOnItsOwnThread();
  EXPECT_LT(ResidentKiB() - settled, brains * 2) << "one reading takes " << brains << " KiB";
}

TEST_F(Service, LearnsForEveryoneOnlyWhenShared) {
  Open();
  EXPECT_EQ(Say("ann", "when I say ping answer pong"), (Lines{"Welcome.", "Learnt."}));
  EXPECT_EQ(Say("bo", "ping"), (Lines{"Welcome.", "Pardon?"}));
  EXPECT_FALSE(std::filesystem::exists(LearnedBrainPath(options_.brain)));

  options_.sharedLearning = true;
  Open();
  Say("ann", "my name is Ann");
  Say("ann", "when I say ping answer pong");
  EXPECT_EQ(Say("bo", "ping"), (Lines{"Welcome.", "pong"}));
  EXPECT_EQ(service_->GetMetrics().learned, 1u);
  // Saved without Ann's facts, and read instead of the brain from now on.
  const std::string learned = test::ReadFile(dir_.File("t.learned.vlf"));
  EXPECT_NE(learned.find("Fact {NAME} = {nobody}"), std::string::npos) << learned;
  Open();
  EXPECT_EQ(Say("cy", "ping"), (Lines{"Welcome.", "pong"}));
  // Until the brain file is edited after it.
  std::filesystem::last_write_time(options_.brain,
                                   std::filesystem::last_write_time(dir_.File("t.learned.vlf")) + std::chrono::seconds(5));
  Open();
  EXPECT_EQ(Say("dee", "ping"), (Lines{"Welcome.", "Pardon?"}));
}

TEST_F(Service, LetsOneServiceAtATimeLearnForABrain) {
  options_.sharedLearning = true;
  Open();
  std::vector<std::string> messages;
  std::string error;
  auto second = SessionService::Open(options_, std::make_unique<FlakyStore>(), messages, error);
  EXPECT_FALSE(second);
  EXPECT_NE(error.find("another process is learning into " + LearnedBrainPath(options_.brain)), std::string::npos)
      << error;
  // Serving without learning does not need the brain to itself.
  options_.sharedLearning = false;
  EXPECT_TRUE(SessionService::Open(options_, std::make_unique<FlakyStore>(), messages, error)) << error;
  options_.sharedLearning = true;
  service_.reset();
  EXPECT_TRUE(SessionService::Open(options_, std::make_unique<FlakyStore>(), messages, error)) << error;
}

// A beat of the volition clock speaks for a session that has been silent
// long enough, and writes it only then: idle beats cost no writes.
TEST_F(Service, BeatsOfTheVolitionClockSpeakAfterSilenceOnly) {
  std::string brain = kBrain;
  brain.insert(brain.find("For-Mode -50,0"),
               "For-Mode 0,0\nName-Object {Nudge}\n  Fragment Volition,0,0, {0.00001}, {}, {}\n"
               "  Fragment CUSTOM-Sub,-1000,0, {^Input{0}}, {}, {}\n  Response {Still there, ^Fact{NAME}?},Just Text,{},{}\n\n");
  test::WriteFile(options_.brain, brain);
  Open();
  Turn none;
  EXPECT_EQ(service_->Tick("nobody", none).code, 404);
  Say("ann", "my name is Ann");
  Turn early;
  EXPECT_EQ(service_->Tick("ann", early).code, 204);  // under a second of silence
  EXPECT_TRUE(early.answers.empty());
  EXPECT_EQ(early.version, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // the clause waits 0.86 s
  Turn spoke;
  ASSERT_TRUE(service_->Tick("ann", spoke).Ok());
  EXPECT_EQ(spoke.answers, Lines{"Still there, Ann?"});
  EXPECT_EQ(spoke.version, 2);
  // Its mark is kept with the session: the next beat waits again.
  Turn after;
  EXPECT_EQ(service_->Tick("ann", after).code, 204);
  EXPECT_EQ(after.version, 2);
  // An input starts the silence again.
  Say("ann", "who");
  Turn quiet;
  EXPECT_EQ(service_->Tick("ann", quiet).code, 204);
}

TEST(SessionIds, AreShortNamesOfSafeCharacters) {
  EXPECT_TRUE(ValidSessionId("user-42.chat_1"));
  EXPECT_FALSE(ValidSessionId("user 42"));
  EXPECT_EQ(LearnedBrainPath("/b/demo.vlf"), "/b/demo.learned.vlf");
  EXPECT_EQ(LearnedBrainPath("brain"), "brain.learned.vlf");
}

}  // namespace
}  // namespace varnex::server
