// The automaton that finds every fixed text of a mode in one pass over the
// input. Built as a trie with failure links, then laid out breadth first
// so that a node's children are neighbours; reports are the keys' ids.
#include "engine/matching/aho_corasick.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

namespace varnex {
namespace {

// The first eight bytes of a key as a number that orders as the bytes do;
// a shorter key is padded with zero bytes, which orders it before every
// longer key it begins. Sorting on it first compares most keys in one step.
uint64_t Prefix(std::string_view key) {
  uint64_t v = 0;
  for (std::size_t i = 0; i < 8; ++i) v = (v << 8) | (i < key.size() ? static_cast<uint8_t>(key[i]) : 0u);
  return v;
}

struct Sorted {
  uint64_t prefix;
  uint32_t handle;
};

// A stable sort on the prefixes, a byte at a time from the last (a radix
// sort: a million keys sort several times faster than by comparing them).
// Bytes every key shares, such as a common first letter, cost no pass.
void SortByPrefix(std::vector<Sorted>& keys) {
  std::vector<Sorted> other(keys.size());
  for (int shift = 0; shift < 64; shift += 8) {
    std::size_t count[257] = {};
    for (const Sorted& k : keys) ++count[((k.prefix >> shift) & 0xFF) + 1];
    if (std::any_of(std::begin(count), std::end(count), [&](std::size_t c) { return c == keys.size(); })) continue;
    for (std::size_t b = 1; b < 257; ++b) count[b] += count[b - 1];
    for (const Sorted& k : keys) other[count[(k.prefix >> shift) & 0xFF]++] = k;
    keys.swap(other);
  }
}

}  // namespace

AhoCorasick::AhoCorasick() : pendingStart_(1, 0) {
  std::fill(std::begin(rootChild_), std::end(rootChild_), kNone);
}

uint32_t AhoCorasick::Add(std::string_view key) {
  pending_.append(key);
  pendingStart_.push_back(static_cast<uint32_t>(pending_.size()));
  if (pending_.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("too many keys");
  return static_cast<uint32_t>(pendingStart_.size() - 2);
}

std::vector<uint32_t> AhoCorasick::MakeTrie() {
  const std::size_t handles = pendingStart_.size() - 1;
  auto keyAt = [&](uint32_t h) {
    return std::string_view(pending_).substr(pendingStart_[h], pendingStart_[h + 1] - pendingStart_[h]);
  };
  std::vector<Sorted> sorted(handles);
  for (uint32_t h = 0; h < handles; ++h) sorted[h] = {Prefix(keyAt(h)), h};
  SortByPrefix(sorted);
  // Keys that share their first eight bytes are ordered by the rest; equal
  // keys end up together, the first added first.
  for (std::size_t i = 0; i < handles;) {
    std::size_t j = i + 1;
    while (j < handles && sorted[j].prefix == sorted[i].prefix) ++j;
    if (j - i > 1)
      std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(i), sorted.begin() + static_cast<std::ptrdiff_t>(j),
                [&](const Sorted& a, const Sorted& b) {
                  const int c = keyAt(a.handle).compare(keyAt(b.handle));
                  return c != 0 ? c < 0 : a.handle < b.handle;
                });
    i = j;
  }

  // Each key goes down the path it shares with the key before it (their
  // common prefix) and adds nodes for the rest: siblings are thus made in
  // the order of their bytes. A key is known by the handle that first added
  // it until the keys are numbered.
  std::vector<uint32_t> first(handles);  // the first handle of each handle's key
  parent_.assign(1, 0);
  label_.assign(1, 0);
  builderKey_.assign(1, kNone);
  std::vector<uint32_t> path(1, 0);  // the previous key's nodes, by depth
  std::string_view previous;
  for (std::size_t i = 0; i < handles; ++i) {
    const std::string_view key = keyAt(sorted[i].handle);
    std::size_t common = 0;
    while (common < key.size() && common < previous.size() && key[common] == previous[common]) ++common;
    if (i > 0 && common == key.size() && common == previous.size()) {
      first[sorted[i].handle] = first[sorted[i - 1].handle];
      continue;
    }
    path.resize(common + 1);
    for (std::size_t d = common; d < key.size(); ++d) {
      const uint32_t node = static_cast<uint32_t>(label_.size());
      parent_.push_back(path.back());
      label_.push_back(static_cast<uint8_t>(key[d]));
      builderKey_.push_back(kNone);
      path.push_back(node);
    }
    builderKey_[path.back()] = sorted[i].handle;
    first[sorted[i].handle] = sorted[i].handle;
    previous = key;
  }
  std::vector<Sorted>().swap(sorted);

  // Keys numbered in the order they were first added.
  std::vector<uint32_t> keyOf(handles);
  keyCount_ = 0;
  for (uint32_t h = 0; h < handles; ++h)
    keyOf[h] = first[h] == h ? static_cast<uint32_t>(keyCount_++) : keyOf[first[h]];
  for (uint32_t& k : builderKey_)
    if (k != kNone) k = keyOf[k];
  std::string().swap(pending_);
  std::vector<uint32_t>().swap(pendingStart_);
  return keyOf;
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

std::vector<uint32_t> AhoCorasick::Build() {
  std::vector<uint32_t> keyOf = MakeTrie();
  const std::size_t n = label_.size();
  // The trie's children of each node (counted by parent: a compact list
  // instead of one vector per node): node p's children are
  // children[start[p] .. start[p + 1]), in the order they were made, which
  // is the order of their bytes. Placing them moves each start[p] on to
  // start[p + 1], so the starts are shifted back afterwards.
  std::vector<uint32_t> start(n + 1, 0), children(n > 0 ? n - 1 : 0);
  for (std::size_t c = 1; c < n; ++c) ++start[parent_[c] + 1];
  for (std::size_t i = 1; i <= n; ++i) start[i] += start[i - 1];
  for (std::size_t c = 1; c < n; ++c) children[start[parent_[c]]++] = static_cast<uint32_t>(c);
  for (std::size_t i = n; i > 0; --i) start[i] = start[i - 1];
  if (n > 0) start[0] = 0;
  std::vector<uint32_t>().swap(parent_);

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
  return keyOf;
}

}  // namespace varnex

