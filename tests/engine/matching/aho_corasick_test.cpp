// The automaton against a plain search, on keys that share prefixes and
// suffixes and contain each other.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/matching/aho_corasick.h"

namespace varnex {
namespace {

std::string RandomText(std::mt19937& rng, std::size_t maxLength, std::string_view alphabet) {
  std::string s(1 + rng() % maxLength, ' ');
  for (char& c : s) c = alphabet[rng() % alphabet.size()];
  return s;
}

TEST(AhoCorasick, FindsExactlyWhatAPlainSearchFinds) {
  std::mt19937 rng(7);
  // A small alphabet forces shared prefixes, nested keys and long failure
  // chains; the high byte and the blank are bytes like any other.
  const std::string alphabet = "ab c\xC3";
  for (int round = 0; round < 200; ++round) {
    AhoCorasick automaton;
    std::map<std::string, uint32_t> ids;
    const int keys = 1 + static_cast<int>(rng() % (round < 100 ? 8 : 300));
    for (int i = 0; i < keys; ++i) {
      const std::string key = RandomText(rng, 6, alphabet);
      const uint32_t id = automaton.Add(key);
      auto [it, added] = ids.emplace(key, id);
      ASSERT_EQ(it->second, id) << "the same key twice gives the same id";
      if (added) {
        ASSERT_EQ(id, ids.size() - 1);
      }
    }
    automaton.Build();
    ASSERT_EQ(automaton.KeyCount(), ids.size());
    for (int t = 0; t < 20; ++t) {
      const std::string text = RandomText(rng, 40, alphabet);
      std::map<uint32_t, int> expected, found;
      for (const auto& [key, id] : ids)
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) ++expected[id];
      automaton.Scan(text, [&](uint32_t id) { ++found[id]; });
      ASSERT_EQ(found, expected) << "text \"" << text << "\", round " << round;
    }
  }
}

TEST(AhoCorasick, EmptyAutomatonFindsNothing) {
  AhoCorasick automaton;
  automaton.Build();
  int hits = 0;
  automaton.Scan("anything at all", [&](uint32_t) { ++hits; });
  EXPECT_EQ(hits, 0);
}

}  // namespace
}  // namespace varnex
