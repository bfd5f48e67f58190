// Gathering files and folders, and the report.
#include "importer/aiml_import.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_support.h"

namespace varnex::aiml {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(AimlImport, FoldersWithTheirSetsMapsAndProperties) {
  TempDir dir;
  ::mkdir(dir.File("bot").c_str(), 0755);
  ::mkdir(dir.File("bot/sets").c_str(), 0755);
  WriteFile(dir.File("bot/b.aiml"),
            "<aiml><category><pattern>IS <set>colour</set> NICE</pattern><template><bot name=\"name\"/> likes "
            "<star/>.</template></category></aiml>");
  WriteFile(dir.File("bot/a.aiml"), "<aiml><category><pattern>HI</pattern><template>x</template></category></aiml>");
  WriteFile(dir.File("bot/sets/colour.txt"), "red\nblue\n");
  WriteFile(dir.File("bot/notes.md"), "not read");
  WriteFile(dir.File("bot.properties"), "name:Pip\nage=3\n");
  ImportRequest request;
  request.inputs = {dir.File("bot")};
  request.botProperties = dir.File("bot.properties");
  request.bot = {{"Age", "4"}};
  const ImportOutcome o = ImportAiml(request);
  ASSERT_TRUE(o.fatal.empty()) << o.fatal;
  EXPECT_EQ(o.aimlFiles, 2u);
  EXPECT_EQ(o.setFiles, 1u);
  EXPECT_EQ(o.counts.converted, 2u);
  EXPECT_EQ(o.counts.clauses, 3u);  // HI, and one per colour
  auto has = [&](const std::string& line) { return std::find(o.lines.begin(), o.lines.end(), line) != o.lines.end(); };
  EXPECT_TRUE(has("Fact {bot.name} = {Pip}"));
  EXPECT_TRUE(has("Fact {bot.age} = {4}"));  // --bot wins over the file
  EXPECT_TRUE(has("Start-Collection {colour}, {UNSORTED}"));
  // Files in name order: a.aiml's category comes first.
  const auto first = std::find_if(o.lines.begin(), o.lines.end(), [](const std::string& l) { return l.starts_with("  Fragment"); });
  ASSERT_NE(first, o.lines.end());
  EXPECT_NE(first->find("<input> HI <that>"), std::string::npos);
}

TEST(AimlImport, NothingToWriteSaysWhy) {
  TempDir dir;
  ImportRequest request;
  request.inputs = {dir.File("missing.aiml")};
  EXPECT_EQ(ImportAiml(request).fatal, dir.File("missing.aiml") + ": no such file or folder");
  WriteFile(dir.File("bad.aiml"), "<aiml><category>");
  WriteFile(dir.File("skip.aiml"), "<aiml><category><pattern>A</pattern><template><system>x</system></template>"
                                   "</category></aiml>");
  request.inputs = {dir.File("bad.aiml"), dir.File("skip.aiml")};
  const ImportOutcome o = ImportAiml(request);
  EXPECT_TRUE(o.lines.empty());
  EXPECT_EQ(o.fatal, "no category could be converted");
  EXPECT_EQ(o.unreadableFiles, 1u);
  const std::string report = ReportText(o);
  EXPECT_NE(report.find("no brain was written: no category could be converted"), std::string::npos);
  // The file that could not be read comes first among the details.
  const std::size_t bad = report.find("bad.aiml:1: not read:"), skip = report.find("skip.aiml:1: skipped: <system>");
  ASSERT_NE(bad, std::string::npos);
  ASSERT_NE(skip, std::string::npos);
  EXPECT_LT(bad, skip);
  EXPECT_NE(ReportText(o, 1).find("... and 1 more"), std::string::npos);
  EXPECT_EQ(ReportText(o, 0).find("details:"), std::string::npos);
}

}  // namespace
}  // namespace varnex::aiml
