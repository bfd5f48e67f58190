#include "engine/matching/aho_corasick.h"

#include <deque>

namespace varnex {
namespace {
inline uint64_t Mix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  return x;
}
}  // namespace

AhoCorasick::AhoCorasick() : nodes_(1), slots_(64) {}

uint32_t AhoCorasick::Child(uint32_t node, uint8_t b) const {
  const uint64_t edge = (static_cast<uint64_t>(node) << 8) | b;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = Mix(edge) & mask;; i = (i + 1) & mask) {
    if (slots_[i].edge == edge) return slots_[i].child;
    if (slots_[i].edge == ~0ull) return kNone;
  }
}

void AhoCorasick::Insert(uint64_t edge, uint32_t child) {
  if ((used_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = Mix(edge) & mask;
  while (slots_[i].edge != ~0ull) i = (i + 1) & mask;
  slots_[i] = Slot{edge, child};
  ++used_;
}

void AhoCorasick::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  used_ = 0;
  for (const Slot& s : old)
    if (s.edge != ~0ull) Insert(s.edge, s.child);
}

uint32_t AhoCorasick::Add(std::string_view key) {
  uint32_t node = 0;
  for (char c : key) {
    const uint8_t b = static_cast<uint8_t>(c);
    uint32_t next = Child(node, b);
    if (next == kNone) {
      next = static_cast<uint32_t>(nodes_.size());
      nodes_.emplace_back();
      Insert((static_cast<uint64_t>(node) << 8) | b, next);
    }
    node = next;
  }
  if (nodes_[node].key == kNone) nodes_[node].key = static_cast<uint32_t>(keyCount_++);
  return nodes_[node].key;
}

void AhoCorasick::Build() {
  // Children by parent, to walk the trie breadth first.
  std::vector<std::vector<std::pair<uint8_t, uint32_t>>> children(nodes_.size());
  for (const Slot& s : slots_)
    if (s.edge != ~0ull) children[s.edge >> 8].push_back({static_cast<uint8_t>(s.edge & 0xFF), s.child});
  std::deque<uint32_t> queue;
  for (auto [b, child] : children[0]) {
    nodes_[child].fail = 0;
    queue.push_back(child);
  }
  while (!queue.empty()) {
    const uint32_t node = queue.front();
    queue.pop_front();
    for (auto [b, child] : children[node]) {
      uint32_t f = nodes_[node].fail;
      uint32_t target;
      while ((target = Child(f, b)) == kNone && f != 0) f = nodes_[f].fail;
      nodes_[child].fail = (target == kNone || target == child) ? 0 : target;
      const uint32_t fail = nodes_[child].fail;
      nodes_[child].outputLink = nodes_[fail].key != kNone ? fail : nodes_[fail].outputLink;
      queue.push_back(child);
    }
  }
}

}  // namespace varnex
