// `varnex import aiml`: files and folders in, a brain's text and a report
// out. The console writes the brain and the report; this does the rest.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "importer/aiml_model.h"
#include "importer/aiml_to_brain.h"

namespace varnex::aiml {

struct ImportRequest {
  // AIML files, set files (.set), map files (.map) and folders holding
  // them (read recursively, in name order; .txt files in folders named
  // "sets" and "maps" count as sets and maps).
  std::vector<std::string> inputs;
  std::string botProperties;  // a properties file, or empty
  std::vector<std::pair<std::string, std::string>> bot;  // --bot NAME=VALUE, after the file
};

struct ImportOutcome {
  // The brain, one line each without line ends; empty when nothing could
  // be converted (then `fatal` says why).
  std::vector<std::string> lines;
  std::string fatal;
  std::vector<Problem> problems;
  ConvertCounts counts;
  std::size_t aimlFiles = 0, setFiles = 0, mapFiles = 0, unreadableFiles = 0;
};

ImportOutcome ImportAiml(const ImportRequest& request);

// The report: a summary, counts per element of what was skipped and what
// differs, and then each problem with its file and line (at most
// `maxDetails` of them).
std::string ReportText(const ImportOutcome& outcome, std::size_t maxDetails = SIZE_MAX);

}  // namespace varnex::aiml
