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
    std::vector<std::string> added;
    const int keys = 1 + static_cast<int>(rng() % (round < 100 ? 8 : 300));
    for (int i = 0; i < keys; ++i) {
      added.push_back(RandomText(rng, 6, alphabet));
      ASSERT_EQ(automaton.Add(added.back()), static_cast<uint32_t>(i));
    }
    const std::vector<uint32_t> keyOf = automaton.Build();
    // Equal keys share one id, and ids follow the order of first adding.
    std::map<std::string, uint32_t> ids;
    ASSERT_EQ(keyOf.size(), added.size());
    for (std::size_t h = 0; h < added.size(); ++h) {
      auto it = ids.emplace(added[h], static_cast<uint32_t>(ids.size()));
      ASSERT_EQ(keyOf[h], it.first->second) << "key \"" << added[h] << "\"";
    }
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
  EXPECT_TRUE(automaton.Build().empty());
  int hits = 0;
  automaton.Scan("anything at all", [&](uint32_t) { ++hits; });
  EXPECT_EQ(hits, 0);
}

}  // namespace
}  // namespace varnex
