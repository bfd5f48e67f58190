// varnex import aiml: converts AIML into a brain, reads the brain back
// through the engine to be sure it reads without a message and saves to
// the same text, and only then writes it (atomically, beside its place).
#include <cstdio>
#include <fstream>

#include "console/commands.h"
#include "engine/varnex.h"
#include "importer/aiml_import.h"
#include "platform/text_file.h"

namespace varnex {
namespace {

void Print(std::FILE* to, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), to);
  std::fflush(to);
}

// Whether the engine reads the lines without a message and writes them
// back unchanged; the first thing that differs otherwise.
std::string ReadsBack(const std::vector<std::string>& lines) {
  Brain brain;
  std::string problem;
  brain.On().readerMessageAt = [&](const std::string&, int line, const std::string& text) {
    if (problem.empty()) problem = "line " + std::to_string(line) + ": " + text;
  };
  brain.ReadText(lines);
  if (!problem.empty()) return "the engine's reader says at " + problem;
  const std::vector<std::string> again = brain.Text();
  for (std::size_t i = 0; i < lines.size() || i < again.size(); ++i) {
    const std::string a = i < lines.size() ? lines[i] : "(nothing)";
    const std::string b = i < again.size() ? again[i] : "(nothing)";
    if (a != b) return "line " + std::to_string(i + 1) + " reads back as \"" + b + "\", not \"" + a + "\"";
  }
  return "";
}

}  // namespace

int RunImport(const ConsoleOptions& options) {
  aiml::ImportRequest request;
  request.inputs = options.operands;
  request.bot = options.bot;
  if (options.botProperties) request.botProperties = *options.botProperties;
  const aiml::ImportOutcome outcome = aiml::ImportAiml(request);
  // An input that is not there: nothing was read, and there is nothing to
  // report but that.
  if (outcome.aimlFiles == 0 && !outcome.fatal.empty()) {
    Print(stderr, "varnex: nothing written: " + outcome.fatal + "\n");
    return 1;
  }

  if (options.report) {
    std::ofstream report(*options.report, std::ios::binary | std::ios::trunc);
    report << aiml::ReportText(outcome);
    if (!report.flush()) Print(stderr, "varnex: the report could not be written to " + *options.report + "\n");
  }
  // Without a report file, the summary and the first details.
  Print(stdout, aiml::ReportText(outcome, options.report ? 0 : 20));
  if (options.report) Print(stdout, "the whole report is in " + *options.report + "\n");

  if (outcome.lines.empty()) {
    Print(stderr, "varnex: nothing written: " + outcome.fatal + "\n");
    return 1;
  }
  if (const std::string wrong = ReadsBack(outcome.lines); !wrong.empty()) {
    Print(stderr, "varnex: nothing written: the imported brain is not right (" + wrong +
                      "); this is a fault of the importer, please report it with the AIML that caused it\n");
    return 1;
  }
  if (const std::string error = WriteLinesAtomically(options.output, outcome.lines); !error.empty()) {
    Print(stderr, "varnex: " + options.output + ": not written: " + error + "\n");
    return 1;
  }
  Print(stdout, "wrote " + options.output + "\n");
  return 0;
}

}  // namespace varnex
