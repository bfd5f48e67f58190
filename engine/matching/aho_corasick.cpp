// The automaton that finds every fixed text of a mode in one pass over the
// input. Built as a trie with failure links, then laid out breadth first
// so that a node's children are neighbours; reports are the keys' ids.
#include "engine/matching/aho_corasick.h"

#include <algorithm>

namespace varnex {
namespace {

inline uint64_t Mix(uint32_t parent, uint8_t b) {
  uint64_t x = (static_cast<uint64_t>(parent) << 8) | b;
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  return x;
}

}  // namespace

AhoCorasick::AhoCorasick() : slots_(64), builderKey_(1, kNone), parent_(1, 0), label_(1, 0) {
  std::fill(std::begin(rootChild_), std::end(rootChild_), kNone);
}

uint32_t AhoCorasick::BuilderChild(uint32_t node, uint8_t b) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = Mix(node, b) & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.child == 0) return kNone;
    if (s.parent == node && label_[s.child] == b) return s.child;
  }
}

void AhoCorasick::BuilderInsert(uint32_t parent, uint32_t child) {
  if ((used_ + 1) * 4 > slots_.size() * 3) {  // at most three quarters full
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    used_ = 0;
    for (const Slot& s : old)
      if (s.child != 0) BuilderInsert(s.parent, s.child);
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = Mix(parent, label_[child]) & mask;
  while (slots_[i].child != 0) i = (i + 1) & mask;
  slots_[i] = Slot{parent, child};
  ++used_;
}

uint32_t AhoCorasick::Add(std::string_view key) {
  uint32_t node = 0;
  for (char c : key) {
    const uint8_t b = static_cast<uint8_t>(c);
    uint32_t next = BuilderChild(node, b);
    if (next == kNone) {
      next = static_cast<uint32_t>(label_.size());
      label_.push_back(b);
      builderKey_.push_back(kNone);
      parent_.push_back(node);
      BuilderInsert(node, next);
    }
    node = next;
  }
  if (builderKey_[node] == kNone) builderKey_[node] = static_cast<uint32_t>(keyCount_++);
  return builderKey_[node];
}

uint32_t AhoCorasick::Child(uint32_t node, uint8_t b) const {
  if (node == 0) return rootChild_[b];
  const uint32_t lo = first_[node], hi = first_[node + 1];
  if (hi - lo <= 8) {
    for (uint32_t c = lo; c < hi; ++c)
      if (label_[c] == b) return c;
    return kNone;
  }
  const auto begin = label_.begin() + lo, end = label_.begin() + hi;
  const auto it = std::lower_bound(begin, end, b);
  return it != end && *it == b ? static_cast<uint32_t>(lo + (it - begin)) : kNone;
}

void AhoCorasick::ReplaceKeys(const std::vector<uint32_t>& reports) {
  for (Links& l : links_)
    if (l.key != kNone) l.key = reports[l.key];
}

void AhoCorasick::Build() {
  const std::size_t n = label_.size();
  std::vector<Slot>().swap(slots_);
  // The builder's children of each node, sorted by byte (counted by parent:
  // a compact list instead of one vector per node): node p's children are
  // children[start[p] .. start[p + 1]). Placing them moves each start[p] on
  // to start[p + 1], so the starts are shifted back afterwards.
  std::vector<uint32_t> start(n + 1, 0), children(n > 0 ? n - 1 : 0);
  for (std::size_t c = 1; c < n; ++c) ++start[parent_[c] + 1];
  for (std::size_t i = 1; i <= n; ++i) start[i] += start[i - 1];
  for (std::size_t c = 1; c < n; ++c) children[start[parent_[c]]++] = static_cast<uint32_t>(c);
  for (std::size_t i = n; i > 0; --i) start[i] = start[i - 1];
  if (n > 0) start[0] = 0;
  std::vector<uint32_t>().swap(parent_);
  for (std::size_t i = 0; i < n; ++i)
    std::sort(children.begin() + start[i], children.begin() + start[i + 1],
              [&](uint32_t a, uint32_t b) { return label_[a] < label_[b]; });

  // Breadth first from the root: the order lists old ids by new id. The
  // children of the node with new id v get the ids first_[v] onwards.
  std::vector<uint32_t> order;
  order.reserve(n);
  order.push_back(0);
  first_.assign(n + 1, 0);
  for (std::size_t v = 0; v < order.size(); ++v) {
    first_[v] = static_cast<uint32_t>(order.size());
    const uint32_t old = order[v];
    for (uint32_t j = start[old]; j < start[old + 1]; ++j) order.push_back(children[j]);
  }
  first_[n] = static_cast<uint32_t>(n);
  std::vector<uint32_t>().swap(start);
  std::vector<uint32_t>().swap(children);

  std::vector<uint8_t> label(n);
  links_.assign(n, Links{});
  for (std::size_t v = 0; v < n; ++v) {
    label[v] = label_[order[v]];
    links_[v].key = builderKey_[order[v]];
  }
  label_.swap(label);
  std::vector<uint8_t>().swap(label);
  std::vector<uint32_t>().swap(builderKey_);
  std::vector<uint32_t>().swap(order);
  for (uint32_t c = first_[0]; c < first_[1]; ++c) rootChild_[label_[c]] = c;

  // Failure and output links, breadth first: a node's links need only those
  // of shallower nodes.
  for (std::size_t v = 1; v < n; ++v) {
    for (uint32_t c = first_[v]; c < first_[v + 1]; ++c) {
      const uint8_t b = label_[c];
      uint32_t f = links_[v].fail, target;
      while ((target = Child(f, b)) == kNone && f != 0) f = links_[f].fail;
      links_[c].fail = target == kNone ? 0 : target;
    }
  }
  for (std::size_t v = 1; v < n; ++v) {
    const uint32_t fail = links_[v].fail;
    links_[v].output = links_[fail].key != kNone ? fail : links_[fail].output;
  }
}

}  // namespace varnex

