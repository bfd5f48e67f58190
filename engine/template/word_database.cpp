// The word database: three fixed-record files read by seeking. Counts or
// lengths out of range give the empty answer, never a read past a record.
#include "engine/template/word_database.h"

#include <mutex>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/base/random.h"
#include "engine/base/text_search.h"

namespace varnex {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// One word's index record.
struct WindexObj {
  int32_t count = 0;
  std::vector<int32_t> entries;
};

int32_t LittleEndian(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// Reads record `n` of `size` bytes; false when it lies past the end.
bool ReadRecord(std::FILE* f, long long n, std::size_t size, unsigned char* out) {
  if (!f || n < 0) return false;
  if (std::fseek(f, static_cast<long>(n * static_cast<long long>(size)), SEEK_SET) != 0) return false;
  return std::fread(out, 1, size, f) == size;
}

struct WordDatabase {
  std::string DataPath;
  bool Initialized = false;
  bool Disabled = false;
  std::vector<std::string> WordList;
  File sentences, index;

  bool Open() {
    WordList.clear();
    Disabled = false;
    File words(std::fopen((DataPath + "Words.str").c_str(), "rb"));
    sentences.reset(std::fopen((DataPath + "MVData.str").c_str(), "rb"));
    index.reset(std::fopen((DataPath + "WordIndex.idx").c_str(), "rb"));
    if (!words || !sentences || !index) {
      sentences.reset();
      index.reset();
      Disabled = true;
      Initialized = false;
      return false;
    }
    unsigned char rec[kWordRecord];
    while (std::fread(rec, 1, kWordRecord, words.get()) == kWordRecord) {
      // A length out of range makes a word that nothing can match, so the
      // numbering of the words that follow stays right.
      WordList.push_back(rec[0] <= kWordRecord - 1 ? std::string(reinterpret_cast<char*>(rec + 1), rec[0]) : "");
    }
    SeedRandomFromClock();
    Initialized = true;
    return true;
  }

  WindexObj LookupWord(const std::string& word) const {
    WindexObj w;
    const std::string normal = Normalize(word);
    for (std::size_t i = 0; i < WordList.size(); ++i) {
      if (!WordList[i].empty() && EqualsNoCase(WordList[i], normal)) {
        std::vector<unsigned char> rec(kIndexRecord);
        if (!ReadRecord(index.get(), static_cast<long long>(i), kIndexRecord, rec.data())) break;
        int32_t n = LittleEndian(rec.data());
        if (n < 0 || n > static_cast<int32_t>(kIndexEntries)) break;  // a corrupt count gives nothing
        w.count = n;
        for (int32_t k = 0; k < n; ++k) w.entries.push_back(LittleEndian(rec.data() + 4 + 4 * k));
        break;
      }
    }
    return w;
  }

  std::string ReadSentence(int32_t n) const {
    unsigned char rec[kSentenceRecord];
    if (!ReadRecord(sentences.get(), n, kSentenceRecord, rec)) return {};
    return std::string(reinterpret_cast<char*>(rec + 1), rec[0]);
  }

  // Upper case, trimmed, and only blanks and the letters A to Z kept.
  static std::string Normalize(std::string_view text) {
    const std::string upper = UpperCase(text);
    std::string out;
    for (char c : TrimView(upper))
      if (c == ' ' || IsUpperLetter(c)) out.push_back(c);
    return out;
  }
};

WordDatabase& Db() {
  static WordDatabase db;
  return db;
}

// Ten count levels: a record number met k times stands in levels 1 to k.
struct Levels {
  std::vector<std::string> level[10];
  int used = 0;
  void Add(int32_t recordNumber) {
    const std::string r = std::to_string(recordNumber);
    for (int l = 1; l <= 10; ++l) {
      if (used < l) used = l;
      auto& v = level[l - 1];
      if (l == 10 || std::find(v.begin(), v.end(), r) == v.end()) {
        v.push_back(r);
        return;
      }
    }
  }
};

}  // namespace

// The database is one per process and reads its files by seeking: brains
// asking it from different threads take turns.
std::mutex& DbLock() {
  static std::mutex lock;
  return lock;
}

std::string AskMentavo(const std::string& question, const std::string& directory) {
  std::lock_guard<std::mutex> hold(DbLock());
  WordDatabase& db = Db();
  db.DataPath = directory;
  if (db.Disabled) return {};
  if (!db.Initialized && !db.Open()) return {};
  const std::string q = WordDatabase::Normalize(question);
  if (q.empty()) return {};
  std::vector<WindexObj> words;
  std::size_t start = 0;
  while (start <= q.size()) {
    std::size_t end = q.find(' ', start);
    if (end == std::string::npos) end = q.size();
    if (end > start) words.push_back(db.LookupWord(q.substr(start, end - start)));
    start = end + 1;
  }
  if (words.size() == 1) {
    const WindexObj& w = words[0];
    if (w.count < 1) return {};
    return db.ReadSentence(w.entries[RandomBelow(static_cast<uint32_t>(w.count))]);
  }
  Levels levels;
  for (const auto& w : words)
    for (int32_t e : w.entries) levels.Add(e);
  if (levels.used == 0) return {};
  const auto& top = levels.level[levels.used - 1];
  return db.ReadSentence(static_cast<int32_t>(std::stol(top[RandomBelow(static_cast<uint32_t>(top.size()))])));
}

void ResetWordDatabase() {
  std::lock_guard<std::mutex> hold(DbLock());
  WordDatabase& db = Db();
  db.sentences.reset();
  db.index.reset();
  db.WordList.clear();
  db.Initialized = db.Disabled = false;
  db.DataPath.clear();
}

}  // namespace varnex
