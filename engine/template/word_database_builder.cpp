// Writing the three files of a word database from sentences.
#include "engine/template/word_database_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unordered_map>

#include "engine/records/collection.h"
#include "engine/template/word_database.h"

namespace varnex {
namespace {

void PutLittleEndian(std::string& out, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

// A length byte and the text, padded with zeros to the record size.
void PutRecord(std::string& out, const std::string& text, std::size_t size) {
  out.push_back(static_cast<char>(static_cast<unsigned char>(text.size())));
  out += text;
  out.append(size - 1 - text.size(), '\0');
}

std::string WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return "Could not write " + path + ": " + std::strerror(errno);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok ? std::string() : "Could not write " + path;
}

}  // namespace

std::string BuildWordDatabase(const std::vector<std::string>& lines, const std::string& directory,
                              std::vector<std::string>& messages) {
  std::vector<std::string> words;
  std::vector<std::vector<int32_t>> entries;
  std::unordered_map<std::string, std::size_t> wordNumber;
  std::string sentenceFile;
  int32_t sentences = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& s = lines[i];
    const std::string where = "Line " + std::to_string(i + 1) + ": ";
    if (s.empty()) continue;
    if (s.size() > kSentenceRecord - 1) {
      messages.push_back(where + "sentence longer than 255 bytes, skipped");
      continue;
    }
    const int32_t number = sentences++;
    PutRecord(sentenceFile, s, kSentenceRecord);
    std::vector<std::string> seen;
    for (auto& w : SplitWords(s)) {
      if (std::find(seen.begin(), seen.end(), w) != seen.end()) continue;  // once per sentence
      seen.push_back(w);
      if (w.size() > kWordRecord - 1) {
        messages.push_back(where + "word " + w + " longer than 30 letters, skipped");
        continue;
      }
      auto [it, added] = wordNumber.emplace(w, words.size());
      if (added) {
        words.push_back(w);
        entries.emplace_back();
      }
      auto& list = entries[it->second];
      if (list.size() >= kIndexEntries) {
        messages.push_back(where + "word " + w + " already has 1000 sentences, this one is dropped");
        continue;
      }
      list.push_back(number);
    }
  }
  std::string wordFile, indexFile;
  for (std::size_t i = 0; i < words.size(); ++i) {
    PutRecord(wordFile, words[i], kWordRecord);
    PutLittleEndian(indexFile, static_cast<int32_t>(entries[i].size()));
    for (std::size_t k = 0; k < kIndexEntries; ++k) PutLittleEndian(indexFile, k < entries[i].size() ? entries[i][k] : 0);
  }
  ::mkdir(directory.c_str(), 0755);
  std::string dir = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  for (auto [name, bytes] : {std::pair<const char*, const std::string*>{"Words.str", &wordFile},
                             {"WordIndex.idx", &indexFile},
                             {"MVData.str", &sentenceFile}}) {
    std::string error = WriteFile(dir + name, *bytes);
    if (!error.empty()) return error;
  }
  return {};
}

}  // namespace varnex
