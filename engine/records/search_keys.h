// The words fragments search for, each kept once per brain in the form the
// search wants (upper case, trimmed). Every clause of a mode is scored
// against each input, and real brains repeat the same few common words in
// thousands of fragments: with the word's key fixed when the fragment is
// first scored, scoring a fixed fragment neither upper-cases nor hashes,
// and a word is searched once per input however many fragments hold it.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnex {

class SearchKeys {
 public:
  // What a fragment's SearchKey holds besides the number of a key.
  static constexpr uint32_t kUnknown = 0;  // not worked out since the word last changed
  static constexpr uint32_t kExpands = 1;  // the word holds a tag: it is expanded at each search

  // The number of a search key (an upper-cased, trimmed word), 2 or more.
  uint32_t Intern(std::string_view key);
  bool Holds(uint32_t id) const { return id >= kFirst && id - kFirst < keys_.size(); }

  std::string_view Key(uint32_t id) const { return keys_[id - kFirst]; }

  // The result of a key's last search, remembered while the input (named by
  // its generation, unique to one upper-cased text) stays the same. Apart
  // from the keys, so that the results of a big vocabulary stay dense.
  struct Result {
    uint64_t generation = 0;
    int32_t position = 0;
    bool found = false;
  };
  Result& ResultFor(uint32_t id) { return results_[id - kFirst]; }

 private:
  static constexpr uint32_t kFirst = 2;
  // Keys never move once made, so the map's views of them stay valid; they
  // are dropped only with the brain, since fragments may hold their numbers
  // for as long as the brain lives.
  std::deque<std::string> storage_;
  std::vector<std::string_view> keys_;
  std::vector<Result> results_;
  std::unordered_map<std::string_view, uint32_t> ids_;
};

}  // namespace varnex
