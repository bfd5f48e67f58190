// Writing records as Language text in the engine writer's layout.
#include "importer/aiml_language.h"

#include <algorithm>
#include <unordered_map>

namespace varnex::aiml {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

void AppendMode(std::vector<std::string>& out, const ModeLines& mode) {
  for (const auto& c : mode.clauses) AppendClause(out, c);
}

}  // namespace

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return CompareNoCase(a, b) == 0; }

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool MakeFieldSafe(std::string& text) {
  bool changed = false;
  for (char& c : text) {
    if (c == '{' || c == '}') {
      c = c == '{' ? '(' : ')';
      changed = true;
    } else if (c == '\r' || c == '\n') {
      c = ' ';
      changed = true;
    }
  }
  return changed;
}

void AppendResponse(std::vector<std::string>& out, const ResponseLine& r) {
  out.push_back("  Response {" + r.out + "}," + r.type + ",{" + r.name + "},{" + r.value + "}");
  for (const auto& t : r.tasks)
    out.push_back("    Task {" + t.out + "}," + t.type + ",{" + t.name + "},{" + t.value + "}");
}

void AppendClause(std::vector<std::string>& out, const ClauseLines& c) {
  out.push_back("For-Mode " + std::to_string(c.orderBonus) + "," + std::to_string(c.orderPenalty));
  for (const auto& f : c.fragments)
    out.push_back("  Fragment " + f.relation + "," + std::to_string(f.bonus) + "," + std::to_string(f.penalty) + ", {" +
                  f.word + "}, {" + f.name + "}, {" + f.value + "}");
  for (const auto& r : c.responses) AppendResponse(out, r);
  out.push_back("");
}

std::vector<std::string> BrainText(BrainLines brain) {
  std::vector<std::string> out;
  out.push_back("");
  out.push_back("Varnex 9.0 Varnex-Language File");
  out.push_back("Written by the Varnex conversational engine");
  out.push_back("All Rights Reserved");
  out.push_back("");
  out.push_back("-------States--------");
  out.push_back("-------Modes---------");
  for (std::size_t i = 0; i < brain.modes.size(); ++i) {
    if (i > 0) out.push_back("Mode {" + brain.modes[i].name + "}");
    AppendMode(out, brain.modes[i]);
  }
  out.push_back("-----Procedures------");
  out.push_back("-------Facts---------");
  // A fact given again replaces the value and keeps the first spelling.
  std::vector<std::pair<std::string, std::string>> facts;
  std::unordered_map<std::string, std::size_t> factIndex;
  for (auto& [name, value] : brain.facts) {
    auto [it, added] = factIndex.emplace(UpperAscii(name), facts.size());
    if (added)
      facts.emplace_back(std::move(name), std::move(value));
    else
      facts[it->second].second = std::move(value);
  }
  for (const auto& [name, value] : facts) out.push_back("Fact {" + name + "} = {" + value + "}");
  out.push_back("-----Collections-----");
  // Registered by name: a later collection of the same name takes the place
  // of the earlier one.
  std::vector<CollectionLines> collections;
  for (auto& c : brain.collections) {
    auto same = std::find_if(collections.begin(), collections.end(),
                             [&](const CollectionLines& k) { return EqualsNoCase(k.name, c.name); });
    if (same != collections.end())
      *same = std::move(c);
    else
      collections.push_back(std::move(c));
  }
  std::stable_sort(collections.begin(), collections.end(),
                   [](const CollectionLines& a, const CollectionLines& b) { return CompareNoCase(a.name, b.name) < 0; });
  for (auto& c : collections) {
    std::vector<std::string> members;
    std::unordered_map<std::string, bool> seen;
    for (auto& m : c.members) {
      std::string t = Trim(m);
      if (t.empty() || UpperAscii(t).starts_with("END-COLLECTION")) continue;
      if (!seen.emplace(UpperAscii(t), true).second) continue;
      members.push_back(std::move(t));
    }
    if (c.sorted)
      std::stable_sort(members.begin(), members.end(),
                       [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    out.push_back("Start-Collection {" + c.name + (c.sorted ? "}" : "}, {UNSORTED}"));
    for (auto& m : members) out.push_back(std::move(m));
    out.push_back("End-Collection");
    out.push_back("");
  }
  out.push_back("");
  return out;
}

}  // namespace varnex::aiml
