// A multi-pattern automaton: finds every occurrence of any of many keys in a
// text in one pass. Keys and texts are bytes, compared exactly.
//
// Keys are collected as they come; Build() sorts them, makes the trie from
// the sorted keys in one pass (each key shares with the one before it the
// path of their common prefix), and lays it out breadth first, so that the
// children of a node are neighbours sorted by byte. A node then costs 17
// bytes, and a million keys build in a fraction of a second, both of which
// matter for a mode of a million clauses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnex {

class AhoCorasick {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  AhoCorasick();
  // Adds a key (not empty) and returns a handle for it: 0 for the first key
  // added, 1 for the next, and so on. Only before Build().
  uint32_t Add(std::string_view key);
  // Builds and links the automaton; call once after the last Add. Equal
  // keys become one key; keys are numbered from 0 in the order they were
  // first added. Returns the key of each handle.
  std::vector<uint32_t> Build();
  std::size_t KeyCount() const { return keyCount_; }
  // After Build: Scan reports reports[id] instead of each key id (none of
  // them kNone).
  void ReplaceKeys(const std::vector<uint32_t>& reports);

  // Calls hit(keyId) for each key that occurs in the text (once per
  // occurrence). Only after Build().
  template <class F>
  void Scan(std::string_view text, F&& hit) const {
    uint32_t state = 0;
    for (char c : text) {
      const uint8_t b = static_cast<uint8_t>(c);
      uint32_t next;
      while ((next = Child(state, b)) == kNone && state != 0) state = links_[state].fail;
      state = next == kNone ? 0 : next;
      for (uint32_t n = links_[state].key != kNone ? state : links_[state].output; n != kNone; n = links_[n].output)
        hit(links_[n].key);
    }
  }

 private:
  struct Links {
    uint32_t fail = 0;
    uint32_t key = kNone;     // the key that ends here
    uint32_t output = kNone;  // nearest node down the fail chain that ends a key
  };
  uint32_t Child(uint32_t node, uint8_t b) const;

  // The keys added, one after another, and where each begins (until Build).
  std::string pending_;
  std::vector<uint32_t> pendingStart_;
  // Makes the trie from the pending keys: parent_, label_ and builderKey_
  // by node, nodes in depth-first order. Returns the key of each handle.
  std::vector<uint32_t> MakeTrie();
  std::vector<uint32_t> builderKey_;
  std::vector<uint32_t> parent_;

  // The byte on the edge into each node.
  std::vector<uint8_t> label_;
  // The built form, breadth first: the children of node n are the nodes
  // first_[n] .. first_[n + 1] - 1; the root's are also in rootChild_.
  std::vector<uint32_t> first_;
  std::vector<Links> links_;
  uint32_t rootChild_[256];
  std::size_t keyCount_ = 0;
};

}  // namespace varnex
