#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_support.h"

namespace varnex::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Saving must never destroy what the user protected, and must never leave
// anything behind but the saved file.
TEST(AtomicSave, RefusesTargetsThatMustNotBeReplaced) {
  TempDir dir;
  const std::string protectedFile = dir.File("protected.vlf");
  WriteFile(protectedFile, "keep me\r\n");
  ::chmod(protectedFile.c_str(), 0444);
  // Holds for root too, who could otherwise write anything.
  EXPECT_EQ(WriteLinesAtomically(protectedFile, {"new"}),
            "Could not write " + protectedFile + ": the file is write-protected");
  EXPECT_EQ(ReadFile(protectedFile), "keep me\r\n");

  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(WriteLinesAtomically(fifo, {"x"}), "Could not write " + fifo + ": not a regular file");
  struct stat st;
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  fs::create_directory(dir.File("folder"));
  EXPECT_NE(WriteLinesAtomically(dir.File("folder"), {"x"}), "");
  EXPECT_TRUE(fs::is_directory(dir.File("folder")));
  EXPECT_EQ(Names(dir.path()), (Lines{"folder", "pipe", "protected.vlf"}));
}

TEST(AtomicSave, KeepsModeAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string file = dir.File("b.vlf");
  WriteFile(file, "old\r\n");
  ::chmod(file.c_str(), 0600);
  EXPECT_EQ(WriteLinesAtomically(file, {"a", "b"}), "");
  EXPECT_EQ(ReadFile(file), "a\r\nb\r\n");
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(Names(dir.path()), (Lines{"b.vlf"}));
}

// A save killed half way leaves a temporary file; the next save of the same
// target clears it, unless a save in progress still holds it.
TEST(AtomicSave, NextSaveRemovesLeftoversOfDeadSaves) {
  TempDir dir;
  const std::string file = dir.File("b.vlf");
  WriteFile(dir.File("b.vlf.tmp-Ab12Zx"), "half a brain");
  WriteFile(dir.File("b.vlf.tmp-busy00"), "a save in progress");
  WriteFile(dir.File("b.vlf.tmp-short"), "not one of ours");
  WriteFile(dir.File("c.vlf.tmp-Ab12Zx"), "another target's");
  int busy = ::open(dir.File("b.vlf.tmp-busy00").c_str(), O_RDONLY);
  ASSERT_GE(busy, 0);
  ASSERT_EQ(::flock(busy, LOCK_EX), 0);
  // The lock is held through another open file, as another process would.
  EXPECT_EQ(WriteLinesAtomically(file, {"x"}), "");
  ::close(busy);
  EXPECT_EQ(Names(dir.path()), (Lines{"b.vlf", "b.vlf.tmp-busy00", "b.vlf.tmp-short", "c.vlf.tmp-Ab12Zx"}));
}

TEST(AtomicSave, WritesThroughSymbolicLinksAndKeepsThem) {
  TempDir dir;
  fs::create_directory(dir.File("real"));
  fs::create_directory(dir.File("links"));
  const std::string target = dir.File("real/brain.vlf");
  WriteFile(target, "old\r\n");
  fs::create_symlink("../real/brain.vlf", dir.File("links/to-existing"));
  EXPECT_EQ(WriteLinesAtomically(dir.File("links/to-existing"), {"one"}), "");
  EXPECT_TRUE(fs::is_symlink(dir.File("links/to-existing")));
  EXPECT_EQ(ReadFile(target), "one\r\n");

  // A dangling link is saved the same way: the file it names is created.
  fs::create_symlink(dir.File("real/new.vlf"), dir.File("links/dangling"));
  EXPECT_EQ(WriteLinesAtomically(dir.File("links/dangling"), {"two"}), "");
  EXPECT_TRUE(fs::is_symlink(dir.File("links/dangling")));
  EXPECT_EQ(ReadFile(dir.File("real/new.vlf")), "two\r\n");
  // Chains of links, and loops, which end in an error rather than a hang.
  fs::create_symlink("to-existing", dir.File("links/chain"));
  EXPECT_EQ(WriteLinesAtomically(dir.File("links/chain"), {"three"}), "");
  EXPECT_EQ(ReadFile(target), "three\r\n");
  fs::create_symlink("loop-b", dir.File("links/loop-a"));
  fs::create_symlink("loop-a", dir.File("links/loop-b"));
  EXPECT_NE(WriteLinesAtomically(dir.File("links/loop-a"), {"x"}), "");
  EXPECT_EQ(Names(dir.File("links")), (Lines{"chain", "dangling", "loop-a", "loop-b", "to-existing"}));
  EXPECT_EQ(Names(dir.File("real")), (Lines{"brain.vlf", "new.vlf"}));
}

// Appending goes to plain files only; a pipe without a reader must not
// block the open, and one with a reader is refused as well.
TEST(AppendLine, RefusesPipesWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(AppendLine(fifo, "x"));
  int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(AppendLine(fifo, "x"));
  char c;
  EXPECT_LE(::read(reader, &c, 1), 0);  // nothing was written into it
  ::close(reader);
  EXPECT_TRUE(AppendLine(dir.File("log.txt"), "a"));
  EXPECT_TRUE(AppendLine(dir.File("log.txt"), "b"));
  EXPECT_EQ(ReadFile(dir.File("log.txt")), "a\r\nb\r\n");
}

}  // namespace
}  // namespace varnex::test
