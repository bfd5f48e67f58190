// A multi-pattern automaton: finds every occurrence of any of many keys in a
// text in one pass. Keys and texts are bytes, compared exactly.
//
// Keys go first into a hashed trie; Build() then lays the trie out breadth
// first, so that the children of a node are neighbours sorted by byte, and
// drops the hash table. A node then costs 17 bytes, which matters for a
// mode of a million clauses.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace varnex {

class AhoCorasick {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  AhoCorasick();
  // Adds a key (not empty) and returns its id; the same key twice gives the
  // same id. Only before Build().
  uint32_t Add(std::string_view key);
  // Links the automaton; call once after the last Add.
  void Build();
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

  // The trie while keys are added: node ids in order of creation, edges in
  // an open-addressing table keyed by (parent, byte).
  struct Slot {
    uint32_t parent = 0;
    uint32_t child = 0;  // 0: empty (the root is nobody's child)
  };
  uint32_t BuilderChild(uint32_t node, uint8_t b) const;
  void BuilderInsert(uint32_t parent, uint32_t child);
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::vector<uint32_t> builderKey_;
  std::vector<uint32_t> parent_;  // so that Build can drop the table first

  // Both forms: the byte on the edge into each node.
  std::vector<uint8_t> label_;
  // The built form, breadth first: the children of node n are the nodes
  // first_[n] .. first_[n + 1] - 1; the root's are also in rootChild_.
  std::vector<uint32_t> first_;
  std::vector<Links> links_;
  uint32_t rootChild_[256];
  std::size_t keyCount_ = 0;
};

}  // namespace varnex
