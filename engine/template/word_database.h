// The word database: three fixed-record files that map words to stored
// sentences, opened once per process and shared by every brain.
//   Words.str      31-byte records: a length byte (0-30), then the word
//   WordIndex.idx  4004-byte records: a little-endian int32 count (0-1000),
//                  then 1000 int32 sentence record numbers
//   MVData.str     256-byte records: a length byte, then the sentence
#pragma once

#include <string>

namespace varnex {

inline constexpr std::size_t kWordRecord = 31;
inline constexpr std::size_t kIndexEntries = 1000;
inline constexpr std::size_t kIndexRecord = 4 + 4 * kIndexEntries;
inline constexpr std::size_t kSentenceRecord = 256;

// One sentence for the question, preferring sentences listed under the most
// of its words; empty when there is none. The database is opened on the
// first call with `directory` (a plain prefix of the file names); later
// directories do not count, and a failed opening disables it for good.
std::string AskMentavo(const std::string& question, const std::string& directory);

// Forgets the open database, as if the program had just started.
void ResetWordDatabase();

}  // namespace varnex
