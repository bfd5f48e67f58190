// Writes a synthetic AIML file of N categories shaped like real content,
// and inputs to talk to it, for measuring `varnex import aiml` and the
// brain it makes:
//
//   varnex_aiml_gen CATEGORIES OUT.aiml [INPUTS.txt [COUNT]]
//
// Patterns of one to seven words drawn from a Zipf-like vocabulary (a few
// words in many patterns, most in few), a third of them with a * or _ at
// the start, the end or inside; templates of plain text, stars, <srai>
// reductions, <random>, predicates set and read, <condition>s and, for a
// few, a <that>. About 110 bytes a category. The inputs are, in turn, a
// pattern's words (with its wildcards filled), such words with another
// word around them, and words that match nothing in particular.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

class Words {
 public:
  explicit Words(std::mt19937_64& rng) : rng_(rng) {
    static const char* const kSyllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo", "be", "da",
                                             "fe", "go", "hu", "ji", "po", "qua", "re", "si", "to", "wu"};
    std::unordered_set<std::string> seen;
    while (words_.size() < 6000) {
      std::string w;
      const int n = 1 + static_cast<int>(rng_() % 3);
      for (int i = 0; i < n; ++i) w += kSyllables[rng_() % 20];
      if (seen.insert(w).second) words_.push_back(w);
    }
    // Zipf with exponent 1: the cumulative weights of ranks 1..n.
    double sum = 0;
    for (std::size_t i = 0; i < words_.size(); ++i) cumulative_.push_back(sum += 1.0 / static_cast<double>(i + 1));
  }
  const std::string& Pick() {
    const double x = std::uniform_real_distribution<double>(0, cumulative_.back())(rng_);
    const auto it = std::lower_bound(cumulative_.begin(), cumulative_.end(), x);
    return words_[static_cast<std::size_t>(it - cumulative_.begin())];
  }

 private:
  std::mt19937_64& rng_;
  std::vector<std::string> words_;
  std::vector<double> cumulative_;
};

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: varnex_aiml_gen CATEGORIES OUT.aiml [INPUTS.txt [COUNT]]\n");
    return 2;
  }
  const long count = std::atol(argv[1]);
  std::mt19937_64 rng(20240611);
  Words words(rng);
  auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };

  std::ofstream out(argv[2], std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<aiml version=\"2.0\">\n";
  std::unordered_set<std::string> patterns;
  std::vector<std::string> inputs;     // one matching input per category, for the input file
  std::vector<std::string> reductions;  // patterns without wildcards, for <srai>
  for (long i = 0; i < count;) {
    const int n = 1 + static_cast<int>(rng() % 4) + static_cast<int>(rng() % 4);
    std::vector<std::string> p;
    for (int k = 0; k < n; ++k) p.push_back(Upper(words.Pick()));
    std::string wildcard;
    if (chance(33)) {
      wildcard = chance(20) ? "_" : "*";
      const int where = static_cast<int>(rng() % 3);
      if (where == 0) p.insert(p.begin(), wildcard);
      else if (where == 1) p.push_back(wildcard);
      else p.insert(p.begin() + static_cast<long>(rng() % p.size()), wildcard);
    }
    std::string pattern, input;
    for (const auto& w : p) {
      pattern += (pattern.empty() ? "" : " ") + w;
      const std::string filled = (w == "*" || w == "_") ? words.Pick() + " " + words.Pick() : w;
      input += (input.empty() ? "" : " ") + filled;
    }
    if (!patterns.insert(pattern).second) continue;
    ++i;
    std::string templ;
    const int kind = static_cast<int>(rng() % 100);
    const std::string a = words.Pick(), b = words.Pick(), c = words.Pick();
    if (!wildcard.empty() && kind < 30) {
      templ = "You said " + a + " <star/> " + b + ".";
    } else if (kind < 45 && !reductions.empty()) {
      templ = "<srai>" + reductions[rng() % reductions.size()] + "</srai>";
    } else if (kind < 55) {
      templ = "<random><li>" + a + " " + b + ".</li><li>" + b + " " + c + "!</li><li>" + c + "?</li></random>";
    } else if (kind < 62) {
      templ = "<think><set name=\"topic\">" + Upper(a) + "</set></think>I like " + a + " " + b + ".";
    } else if (kind < 66) {
      templ = "<condition name=\"topic\"><li value=\"" + Upper(a) + "\">" + a + " again.</li><li>" + b + " " + c +
              ".</li></condition>";
    } else {
      templ = "Well, " + a + " " + b + " " + c + ".";
    }
    std::string that;
    if (chance(3)) that = "<that>" + Upper(words.Pick()) + " *</that>";
    out << "<category><pattern>" << pattern << "</pattern>" << that << "<template>" << templ << "</template></category>\n";
    // Reductions lead to categories that answer by themselves, so that no
    // <srai> goes round in a circle.
    if (wildcard.empty() && templ.find("<srai>") == std::string::npos) reductions.push_back(pattern);
    inputs.push_back(input);
  }
  out << "</aiml>\n";
  if (!out) {
    std::fprintf(stderr, "varnex_aiml_gen: %s could not be written\n", argv[2]);
    return 1;
  }
  if (argc >= 4) {
    const long lines = argc >= 5 ? std::atol(argv[4]) : 1000;
    std::ofstream in(argv[3], std::ios::binary);
    for (long i = 0; i < lines; ++i) {
      const int kind = static_cast<int>(i % 3);
      const std::string& base = inputs[rng() % inputs.size()];
      if (kind == 0) in << base << "\n";
      else if (kind == 1) in << words.Pick() << " " << base << " " << words.Pick() << "\n";
      else in << words.Pick() << " " << words.Pick() << " " << words.Pick() << "\n";
    }
  }
  return 0;
}
