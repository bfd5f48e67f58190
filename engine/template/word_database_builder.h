// Builds the three files of a word database from sentences.
#pragma once

#include <string>
#include <vector>

namespace varnex {

// Writes Words.str, WordIndex.idx and MVData.str into `directory` (a folder;
// it is created when missing). Each non-empty line is a sentence; its words
// are the runs of letters A to Z, upper-cased. Problems with single lines
// (too long, too many sentences for one word) are added to `messages` and
// the line or entry is skipped. Returns an empty text, or the error that
// stopped the build.
std::string BuildWordDatabase(const std::vector<std::string>& sentences, const std::string& directory,
                              std::vector<std::string>& messages);

}  // namespace varnex
