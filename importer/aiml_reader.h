// Reading AIML files (with libxml2) and the files beside them: sets, maps
// and bot properties. Every reader reports what went wrong with the file
// and line, and never throws.
#pragma once

#include <string>
#include <vector>

#include "importer/aiml_model.h"

namespace varnex::aiml {

// Files larger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

// Reads a whole file; false with `error` set when it cannot be read or is
// too large.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Whether the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& bytes);
// Latin-1 bytes as UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

// The categories of an AIML document. `name` is the file name used in
// messages. A document that is not well-formed gives no categories and one
// FileError problem with the parser's message, file and line. Text that is
// not UTF-8 and declares no other encoding is read as Latin-1 (with a Note).
// Returns false when the document could not be read at all.
bool ReadAimlText(const std::string& bytes, const std::string& name, std::vector<Category>& categories,
                  std::vector<Problem>& problems);
bool ReadAimlFile(const std::string& path, std::vector<Category>& categories, std::vector<Problem>& problems);

// A set file: one member a line, or a JSON array of members (each a text
// or an array of one text).
bool ReadSetFile(const std::string& path, std::vector<std::string>& members, std::vector<Problem>& problems);
// A map file or a properties file: "key:value" lines (or "key=value"), or a
// JSON array of two-text arrays. Lines beginning with # are comments.
bool ReadPairsFile(const std::string& path, std::vector<std::pair<std::string, std::string>>& pairs,
                   std::vector<Problem>& problems);
// The same from text in memory (for tests).
bool ParsePairs(const std::string& text, const std::string& name, std::vector<std::pair<std::string, std::string>>& pairs,
                std::vector<Problem>& problems);
bool ParseSet(const std::string& text, const std::string& name, std::vector<std::string>& members,
              std::vector<Problem>& problems);

}  // namespace varnex::aiml
