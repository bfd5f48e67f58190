#include "engine/template/word_database.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/template/word_database_builder.h"
#include "support/test_support.h"

namespace varnex {
namespace {

class WordDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWordDatabase(); }
  void TearDown() override { ResetWordDatabase(); }
  std::string Build(const std::vector<std::string>& sentences) {
    std::vector<std::string> messages;
    EXPECT_EQ(BuildWordDatabase(sentences, dir.path(), messages), "");
    EXPECT_TRUE(messages.empty());
    return dir.path() + "/";
  }
  test::TempDir dir;
};

TEST_F(WordDatabaseTest, SentencesSharedByMoreWordsWin) {
  std::vector<std::string> s(10, "filler");
  s[3] = "A cat sat.";
  s[7] = "The cat and the dog!";
  s[9] = "A dog ran.";
  const std::string db = Build(s);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(AskMentavo("cat dog", db), "The cat and the dog!");
  std::map<std::string, int> seen;
  for (int i = 0; i < 300; ++i) ++seen[AskMentavo("  Cat ", db)];
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_GT(seen["A cat sat."], 100);
  EXPECT_EQ(AskMentavo("cat   dog", db), "The cat and the dog!");  // repeated blanks
  EXPECT_EQ(AskMentavo("r-a-n", db), "A dog ran.");  // only letters count
  EXPECT_EQ(AskMentavo("42 ?!", db), "");
  EXPECT_EQ(AskMentavo("unicorn", db), "");
  EXPECT_EQ(AskMentavo("unicorn zebra", db), "");
}

TEST_F(WordDatabaseTest, TheFirstDirectoryWins) {
  const std::string db = Build({"A cat sat."});
  EXPECT_EQ(AskMentavo("cat", dir.path() + "/missing/"), "");
  EXPECT_EQ(AskMentavo("cat", db), "");  // opening failed once: disabled for good
  ResetWordDatabase();
  EXPECT_EQ(AskMentavo("cat", db), "A cat sat.");
  EXPECT_EQ(AskMentavo("cat", "/elsewhere/"), "A cat sat.");
}

TEST_F(WordDatabaseTest, CorruptFilesGiveEmptyAnswers) {
  const std::string db = Build({"A cat sat.", "A dog ran."});
  // An index count out of range, then a sentence file cut short.
  std::string index = test::ReadFile(db + "WordIndex.idx");
  index[4004] = '\xff';
  index[4005] = '\xff';
  test::WriteFile(db + "WordIndex.idx", index);
  test::WriteFile(db + "MVData.str", test::ReadFile(db + "MVData.str").substr(0, 300));
  std::string first = AskMentavo("a", db);
  EXPECT_TRUE(first == "A cat sat." || first.empty());
  EXPECT_EQ(AskMentavo("cat", db), "");  // record 1 holds the bad count
  EXPECT_EQ(AskMentavo("dog", db), "");  // its sentence lies past the end
  test::WriteFile(db + "Words.str", std::string(31, '\xff') + "\x03" "CAT");  // a bad length, then a cut record
  ResetWordDatabase();
  EXPECT_EQ(AskMentavo("cat", db), "");
}

TEST_F(WordDatabaseTest, BuilderReportsWhatItSkips) {
  std::vector<std::string> s(1002, "The same word.");
  s[5] = std::string(256, 'x');
  std::vector<std::string> messages;
  EXPECT_EQ(BuildWordDatabase(s, dir.path(), messages), "");
  EXPECT_EQ(messages, (std::vector<std::string>{"Line 6: sentence longer than 255 bytes, skipped",
                                                "Line 1002: word THE already has 1000 sentences, this one is dropped",
                                                "Line 1002: word SAME already has 1000 sentences, this one is dropped",
                                                "Line 1002: word WORD already has 1000 sentences, this one is dropped"}));
  EXPECT_EQ(AskMentavo("same word", dir.path() + "/"), "The same word.");
  EXPECT_NE(BuildWordDatabase(s, "/proc/no-such-place", messages), "");
}

}  // namespace
}  // namespace varnex
