#include "engine/template/expand_tags.h"

#include <algorithm>
#include <clocale>
#include <ctime>
#include <langinfo.h>

#include "engine/core/random.h"
#include "engine/matching/find_word.h"
#include "engine/template/calculate.h"
#include "engine/template/numbers.h"
#include "engine/template/text_search.h"
#include "platform/clock.h"

namespace varnex {
namespace {

enum class Tag {
  Fact, SysFact, Member, MemberSub, Members, MemberX, MemberZ, State, Remain, Input, LastOut,
  LastPat, LastSPat, LastFrag, LastResp, LastTask, LastKnow, AutoName, Add, Sub, Mul, Div,
};

struct TagInfo {
  std::string_view word;  // upper case; argument tags end in "{", fixed ones in "{}"
  Tag tag;
  bool fixed;
};

// The order of this table is the order of processing.
constexpr TagInfo kTags[] = {
    {"^FACT{", Tag::Fact, false},         {"^SYSFACT{", Tag::SysFact, false},
    {"^MEMBER{", Tag::Member, false},     {"^MEMBERSUB{", Tag::MemberSub, false},
    {"^MEMBERS{", Tag::Members, false},   {"^MEMBERX{", Tag::MemberX, false},
    {"^MEMBERZ{", Tag::MemberZ, false},   {"^STATE{}", Tag::State, true},
    {"^REMAIN{}", Tag::Remain, true},     {"^INPUT{", Tag::Input, false},
    {"^LASTOUT{", Tag::LastOut, false},   {"^LASTPAT{}", Tag::LastPat, true},
    {"^LASTSPAT{}", Tag::LastSPat, true}, {"^LASTFRAG{}", Tag::LastFrag, true},
    {"^LASTRESP{}", Tag::LastResp, true}, {"^LASTTASK{}", Tag::LastTask, true},
    {"^LASTKNOW{}", Tag::LastKnow, true}, {"^AUTONAME{}", Tag::AutoName, true},
    {"^ADD{", Tag::Add, false},           {"^SUB{", Tag::Sub, false},
    {"^MUL{", Tag::Mul, false},           {"^DIV{", Tag::Div, false},
};

// Limits that keep a hostile or mistaken text from running away: real
// brains nest a few levels and expand a few thousand characters.
constexpr int kMaxDepth = 32;
// The work allowed grows with the text, so that a long text with ordinary
// tags is expanded in full; only tags that keep producing tags run out.
constexpr long long kBaseBudget = 1LL << 23;  // characters searched or rebuilt
constexpr long long kBudgetPerCharacter = 64;

// State shared by one top-level expansion and every expansion nested in it
// (^Remain{} expands texts of its own), so that the limits hold for the
// whole tree of expansions.
struct ExpansionState {
  bool active = false;
  int depth = 0;        // depth of the argument being expanded
  long long work = 0;   // characters searched or rebuilt so far
  long long budget = 0;
};
thread_local ExpansionState gState;

bool OverBudget() { return gState.work > gState.budget; }
void Spend(long long units) { gState.work += units; }

class Expander {
 public:
  Expander(BrainClass& brain, std::string_view context, StepPatternClass* sp, PatternClass* p)
      : brain_(brain), context_(context), sp_(sp), p_(p) {}

  std::string Run(std::string text, int depth);

 private:
  std::string Value(const TagInfo& t, std::string_view arg, int depth);
  std::string Member(std::string_view arg);
  std::string MemberSub(std::string_view arg);
  std::string MemberZ(std::string_view arg);

  BrainClass& brain_;
  std::string_view context_;
  StepPatternClass* sp_;
  PatternClass* p_;
};

std::string Expander::Run(std::string text, int depth) {
  if (text.find('^') == std::string::npos) return text;
  for (const TagInfo& t : kTags) {
    const std::size_t L = t.word.size();
    std::size_t from = 0;
    for (;;) {
      if (OverBudget()) return text;
      std::size_t pos = FindNoCase(text, t.word, from);
      Spend(static_cast<long long>((pos == std::string::npos ? text.size() : pos) - std::min(from, text.size())) + 1);
      if (pos == std::string::npos) break;
      std::string value;
      std::size_t end;  // one past the tag's last character
      if (t.fixed) {
        value = Value(t, {}, depth);
        end = pos + L;
      } else {
        std::size_t close = FindClosingBrace(text, pos);
        Spend(static_cast<long long>(close == std::string::npos ? text.size() - pos : close - pos));
        if (close == std::string::npos) {
          // An argument that is never closed stays as written.
          from = pos + 1;
          continue;
        }
        std::string arg = text.substr(pos + L, close - pos - L);
        // Arguments nested deeper than the limit are used as written.
        if (depth < kMaxDepth) arg = Run(std::move(arg), depth + 1);
        value = Value(t, arg, depth);
        end = close + 1;
      }
      Spend(static_cast<long long>(std::max<std::size_t>(text.size() + value.size(), 64)));
      // A long value is searched by the tags that follow: it earns its own
      // share of the budget, unless it may hold further tags.
      if (value.find('^') == std::string::npos) gState.budget += kBudgetPerCharacter * static_cast<long long>(value.size());
      text.replace(pos, end - pos, value);
      // The text before the caret held no occurrence; one can only begin
      // within the tag word's length before the replaced part.
      from = pos >= L - 1 ? pos - (L - 1) : 0;
    }
  }
  return text;
}

std::string Expander::Value(const TagInfo& t, std::string_view arg, int depth) {
  switch (t.tag) {
    case Tag::Fact: return brain_.GetFact(arg);
    case Tag::SysFact: return SystemFact(UpperCase(arg));
    case Tag::Member: return Member(arg);
    case Tag::MemberSub: return MemberSub(arg);
    case Tag::Members: {
      DataCollectionClass* c = brain_.FindCollection(arg);
      return c ? c->ListMembers(context_) : std::string();
    }
    case Tag::MemberX: {
      std::size_t bar = arg.find('|');
      DataCollectionClass* c = brain_.FindCollection(arg.substr(0, bar));
      return c ? c->PickMember(arg) : std::string();
    }
    case Tag::MemberZ: return MemberZ(arg);
    case Tag::State: return brain_.CurrentStateName();
    case Tag::Remain:
      gState.depth = depth;
      return RemainingText(brain_, context_, sp_, p_);
    case Tag::Input: return brain_.InputAt(arg);
    case Tag::LastOut: return brain_.OutputAt(arg);
    case Tag::LastPat: return brain_.LastPatternName;
    case Tag::LastSPat: return brain_.LastStepPatternName;
    case Tag::LastFrag: return brain_.LastFragmentName;
    case Tag::LastResp: return brain_.LastResponseName;
    case Tag::LastTask: return brain_.LastTaskName;
    case Tag::LastKnow: return brain_.LastKnowledgeName;
    case Tag::AutoName: return NewAutoName(brain_);
    case Tag::Add: return Calculate(CalcOp::Add, arg);
    case Tag::Sub: return Calculate(CalcOp::Sub, arg);
    case Tag::Mul: return Calculate(CalcOp::Mul, arg);
    case Tag::Div: return Calculate(CalcOp::Div, arg);
  }
  return {};
}

std::string Expander::Member(std::string_view arg) {
  std::size_t bar = arg.find('|');
  DataCollectionClass* c = brain_.FindCollection(arg.substr(0, bar));
  if (!c) return {};
  std::string value;
  if (bar != std::string_view::npos)
    value = c->FindMemberAt(context_, arg.substr(bar + 1));
  else if (c->MemberCacheTime == brain_.LastInput)
    value = c->MemberCache;
  else
    value = c->FindMember(context_);
  c->MemberCache = value;
  c->MemberCacheTime = brain_.LastInput;
  return value;
}

std::string Expander::MemberSub(std::string_view arg) {
  DataCollectionClass* c = brain_.FindCollection(arg);
  if (!c) return {};
  if (c->MemberSubCacheTime == brain_.LastInput) return c->MemberSubCache;
  std::string value = c->FindMemberSub(context_);
  c->MemberSubCache = value;
  c->MemberSubCacheTime = brain_.LastInput;
  return value;
}

// Adds to an alphabetical list without duplicates (ignoring case).
void AddCandidate(std::vector<std::string>& list, const std::string& m) {
  auto it = std::lower_bound(list.begin(), list.end(), m,
                             [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  if (it == list.end() || !EqualsNoCase(*it, m)) list.insert(it, m);
}

std::string Expander::MemberZ(std::string_view arg) {
  std::size_t bar = arg.find('|');
  if (bar == std::string_view::npos) {
    DataCollectionClass* c = brain_.FindCollection(arg);
    return c ? c->PickMember(arg) : std::string();
  }
  DataCollectionClass* a = brain_.FindCollection(arg.substr(0, bar));
  DataCollectionClass* b = brain_.FindCollection(arg.substr(bar + 1));
  if (!a || !b) return {};
  std::vector<std::string> topic, fromInput;
  for (const auto& m : b->Members) {
    std::vector<std::string> words = SplitWords(m);
    bool onTopic = std::any_of(words.begin(), words.end(), [&](const std::string& w) { return a->HasMemberWord(w); });
    if (!onTopic) continue;
    AddCandidate(topic, m);
    for (const auto& w : words) {
      int32_t pos = 0;
      if (FindWord(w, context_, pos)) AddCandidate(fromInput, m);
    }
  }
  const auto& pick = !fromInput.empty() ? fromInput : topic;
  if (pick.empty()) return {};
  return pick[RandomBelow(static_cast<uint32_t>(pick.size()))];
}

}  // namespace

std::size_t FindClosingBrace(std::string_view text, std::size_t start) {
  if (text.find('}') == std::string_view::npos) return std::string_view::npos;
  int depth = -1;
  for (std::size_t i = start; i < text.size(); ++i) {
    if (text[i] == '{') {
      ++depth;
    } else if (text[i] == '}') {
      if (depth == 0) return i;
      --depth;
    }
  }
  return std::string_view::npos;
}

std::string ExpandTags(BrainClass& brain, std::string_view text, std::string_view context,
                       StepPatternClass* stepPattern, PatternClass* pattern) {
  if (text.find('^') == std::string_view::npos) return std::string(text);
  const bool top = !gState.active;
  const int depth = top ? 0 : gState.depth + 1;
  if (depth > kMaxDepth) return std::string(text);
  struct Scope {
    bool top;
    int savedDepth;
    ~Scope() {
      if (top) gState.active = false;
      gState.depth = savedDepth;
    }
  } scope{top, gState.depth};
  if (top) {
    gState.active = true;
    gState.work = 0;
    gState.budget = kBaseBudget + kBudgetPerCharacter * static_cast<long long>(text.size());
  }
  Expander e(brain, context, stepPattern, pattern);
  return e.Run(std::string(text), depth);
}

std::string NewAutoName(const BrainClass& brain) {
  for (;;) {
    std::string name = "Auto-";
    for (int i = 0; i < 10; ++i) name.push_back(static_cast<char>('A' + RandomBelow(25)));
    if (!brain.NamedObjects.Contains(name)) return name;
  }
}

std::string SystemFact(std::string_view name) {
  const double now = NowDays();
  const CivilTime c = CivilFromDays(now);
  struct tm tm {};
  tm.tm_year = c.year - 1900;
  tm.tm_mon = c.month - 1;
  tm.tm_mday = c.day;
  tm.tm_hour = c.hour;
  tm.tm_min = c.minute;
  tm.tm_sec = c.second;
  tm.tm_isdst = -1;
  char buf[128];
  if (name == "TIME") {
    std::size_t n = std::strftime(buf, sizeof buf, "%X", &tm);
    return std::string(buf, n);
  }
  if (name == "DATE") {
    std::size_t n = std::strftime(buf, sizeof buf, "%x", &tm);
    return std::string(buf, n);
  }
  if (name == "AGE") {
    // The fixed date "10/02/2002" read in the locale's date order.
    std::string_view fmt = nl_langinfo(D_FMT);
    std::size_t m = fmt.find("%m"), d = fmt.find("%d");
    bool dayFirst = d != std::string_view::npos && (m == std::string_view::npos || d < m);
    double fixed = dayFirst ? DaysFromCivil(2002, 2, 10) : DaysFromCivil(2002, 10, 2);
    return std::to_string(static_cast<long long>(now - fixed));
  }
  return "*";
}

std::string RemainingText(BrainClass& brain, std::string_view context, StepPatternClass* sp, PatternClass* p) {
  std::string remaining(context);
  const OwnedList<WordFragmentClass>* fragments = p ? &p->Fragments : (sp ? &sp->Fragments : nullptr);
  if (!fragments) return remaining;
  for (std::size_t i = 0; i < fragments->size(); ++i) {
    const WordFragmentClass& f = *(*fragments)[i];
    bool searches = (f.Relation >= 1 && f.Relation <= 4) || (p && f.Relation == 11);
    if (!searches) continue;
    remaining = ExpandTags(brain, remaining, remaining, sp, p);
    std::string word = ExpandTags(brain, f.WordFrag, remaining, sp, p);
    std::size_t at = FindText(word, remaining);
    if (at != 0) remaining.erase(at - 1, word.size());
  }
  return remaining;
}

}  // namespace varnex
