// A multi-pattern automaton: finds every occurrence of any of many keys in a
// text in one pass. Keys and texts are bytes, compared exactly.
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
  // Adds a key (not empty) and returns its id; the same key twice gives the
  // same id.
  uint32_t Add(std::string_view key);
  // Links the automaton; call once after the last Add.
  void Build();
  std::size_t KeyCount() const { return keyCount_; }

  // Calls hit(keyId) for each key that occurs in the text (once per
  // occurrence).
  template <class F>
  void Scan(std::string_view text, F&& hit) const {
    uint32_t state = 0;
    for (char c : text) {
      const uint8_t b = static_cast<uint8_t>(c);
      uint32_t next;
      while ((next = Child(state, b)) == kNone && state != 0) state = nodes_[state].fail;
      state = next == kNone ? 0 : next;
      for (uint32_t n = nodes_[state].key != kNone ? state : nodes_[state].outputLink; n != kNone;
           n = nodes_[n].outputLink)
        hit(nodes_[n].key);
    }
  }

 private:
  struct Node {
    uint32_t fail = 0;
    uint32_t key = kNone;         // the key that ends here
    uint32_t outputLink = kNone;  // nearest node down the fail chain that ends a key
  };
  struct Slot {
    uint64_t edge = ~0ull;  // parent node << 8 | byte
    uint32_t child = 0;
  };
  uint32_t Child(uint32_t node, uint8_t b) const;
  void Insert(uint64_t edge, uint32_t child);
  void Grow();

  std::vector<Node> nodes_;
  std::vector<Slot> slots_;  // open addressing, a power of two in size
  std::size_t used_ = 0;
  std::size_t keyCount_ = 0;
};

}  // namespace varnex
