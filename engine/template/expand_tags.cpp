// Tag expansion. The tags are processed in table order, each searched from
// the start of the text after every replacement; an argument is expanded in
// full before its tag is evaluated. Arguments nest at any depth without
// recursion (the expander keeps its own stack of texts). A shared work
// budget ends texts whose tags keep producing tags: every tag not yet
// evaluated then stays as written, so a tag is never evaluated on a
// half-expanded argument. A tag whose evaluation fails gives the empty text
// and the failure is reported; a replacement that would make the text
// longer than the brain's value limit is refused the same way.
#include "engine/template/expand_tags.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>
#include <clocale>
#include <ctime>
#include <langinfo.h>

#include "engine/base/errors.h"
#include "engine/base/random.h"
#include "engine/base/find_word.h"
#include "engine/template/calculate.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
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

// Limits that keep a hostile or mistaken text from running away. Nesting
// of arguments costs no stack (the expander keeps its own), so arguments
// are expanded at any depth; only ^Remain{}, whose fragment texts are
// expanded by a call of their own, recurses, and a fragment whose text asks
// for ^Remain{} again would never end. Such re-entry stops at this depth.
constexpr int kMaxReentry = 32;
// The work allowed grows with the text, so that a long text with ordinary
// tags is expanded in full; only tags that keep producing tags run out.
constexpr long long kBaseBudget = 1LL << 23;  // characters searched or rebuilt
constexpr long long kBudgetPerCharacter = 64;
// How much work passes between two safe points of the brain.
constexpr long long kWorkBetweenChecks = 1LL << 16;

// State shared by one top-level expansion and every expansion nested in it
// (^Remain{} expands texts of its own), so that the limits hold for the
// whole tree of expansions.
struct ExpansionState {
  bool active = false;
  int reentry = 0;      // ExpandTags calls running inside the top-level one
  long long work = 0;   // characters searched or rebuilt so far
  long long budget = 0;
  long long nextCheck = 0;
  BrainClass* brain = nullptr;
};
thread_local ExpansionState gState;

bool OverBudget() { return gState.work > gState.budget; }
void Spend(long long units) {
  gState.work += units;
  if (gState.work >= gState.nextCheck) {
    gState.nextCheck = gState.work + kWorkBetweenChecks;
    gState.brain->CheckRun();
  }
}

// The tags (bits by table index) that begin at a caret in [from, to) of
// the text. Searching the text once for carets spares a search for each of
// the tags that do not occur, which is most of them.
uint32_t TagsAt(std::string_view text, std::size_t from, std::size_t to) {
  // The tags by the letter after their caret, so that a caret is compared
  // with a few tag words rather than all of them.
  static const auto byLetter = [] {
    std::array<uint32_t, 26> table{};
    for (std::size_t i = 0; i < std::size(kTags); ++i) table[kTags[i].word[1] - 'A'] |= uint32_t{1} << i;
    return table;
  }();
  uint32_t found = 0;
  to = std::min(to, text.size());
  for (std::size_t at = text.find('^', from); at < to; at = text.find('^', at + 1)) {
    if (at + 1 >= text.size()) break;
    const char letter = UpperChar(text[at + 1]);
    if (!IsUpperLetter(letter)) continue;
    std::string_view rest = text.substr(at);
    for (uint32_t candidates = byLetter[letter - 'A']; candidates != 0; candidates &= candidates - 1) {
      const int i = __builtin_ctz(candidates);
      const std::string_view word = kTags[i].word;
      if (rest.size() >= word.size() && EqualsNoCase(rest.substr(0, word.size()), word)) found |= uint32_t{1} << i;
    }
  }
  return found;
}
constexpr std::size_t kLongestTagWord = 11;  // "^LASTSPAT{}"

// One text being expanded: the whole text, or the argument of a tag in the
// text of the frame below it. A frame whose argument is being expanded
// waits with its tag's place remembered.
struct Frame {
  explicit Frame(std::string t) : text(std::move(t)), present(TagsAt(text, 0, text.size())) {}
  std::string text;
  // A superset of the tags that occur in the text: the tags found at first,
  // and those found around every replacement since.
  uint32_t present;
  std::size_t tag = 0;   // index into kTags
  std::size_t from = 0;  // where the search for the current tag resumes
  bool waiting = false;
  std::size_t pos = 0;    // the waiting tag's caret
  std::size_t close = 0;  // and its closing brace
};

class Expander {
 public:
  Expander(BrainClass& brain, std::string_view context, StepPatternClass* sp, PatternClass* p)
      : brain_(brain), context_(context), sp_(sp), p_(p) {}

  std::string Run(std::string text);

 private:
  enum class Step { Finished, Pushed, OutOfBudget };
  // Advances the top frame until it finishes or needs an argument expanded,
  // for which it pushes a frame.
  Step Advance(std::vector<Frame>& stack);
  // Replaces the tag at [pos, end) of the frame's text by its value.
  void Replace(Frame& f, const TagInfo& t, std::size_t pos, std::size_t end, std::string_view arg);
  std::string Value(const TagInfo& t, std::string_view arg);
  std::string Member(std::string_view arg);
  std::string MemberSub(std::string_view arg);
  std::string MemberZ(std::string_view arg);

  BrainClass& brain_;
  std::string_view context_;
  StepPatternClass* sp_;
  PatternClass* p_;
};

// The tags are processed in table order; each is searched from the start of
// the text again after a replacement, so a value holding the same tag or a
// later one is expanded in turn. An argument is expanded in full before its
// tag is evaluated. When the work budget runs out, every tag still open is
// left as written: a tag is never evaluated on a half-expanded argument.
std::string Expander::Run(std::string text) {
  if (text.find('^') == std::string::npos) return text;
  std::vector<Frame> stack;
  Spend(static_cast<long long>(text.size()));
  stack.push_back(Frame{std::move(text)});
  for (;;) {
    const Step step = Advance(stack);
    // Out of budget: drop the open arguments; their tags stay as written.
    if (step == Step::OutOfBudget) return std::move(stack.front().text);
    if (step == Step::Pushed) continue;
    // The top frame is done: its text is the argument its parent waits for.
    std::string done = std::move(stack.back().text);
    stack.pop_back();
    if (stack.empty()) return done;
    Frame& parent = stack.back();
    parent.waiting = false;
    const TagInfo& t = kTags[parent.tag];
    Replace(parent, t, parent.pos, parent.close + 1, done);
  }
}

Expander::Step Expander::Advance(std::vector<Frame>& stack) {
  Frame& f = stack.back();
  for (; f.tag < std::size(kTags); ++f.tag, f.from = 0) {
    if (!(f.present & (uint32_t{1} << f.tag))) continue;
    const TagInfo& t = kTags[f.tag];
    const std::size_t L = t.word.size();
    for (;;) {
      if (OverBudget()) return Step::OutOfBudget;
      std::size_t pos = FindNoCase(f.text, t.word, f.from);
      Spend(static_cast<long long>((pos == std::string::npos ? f.text.size() : pos) - std::min(f.from, f.text.size())) + 1);
      if (pos == std::string::npos) break;
      if (t.fixed) {
        Replace(f, t, pos, pos + L, {});
        continue;
      }
      std::size_t close = FindClosingBrace(f.text, pos);
      Spend(static_cast<long long>(close == std::string::npos ? f.text.size() - pos : close - pos));
      if (close == std::string::npos) {
        // An argument that is never closed stays as written.
        f.from = pos + 1;
        continue;
      }
      std::string_view arg = std::string_view(f.text).substr(pos + L, close - pos - L);
      if (arg.find('^') == std::string_view::npos) {
        Replace(f, t, pos, close + 1, std::string(arg));
        continue;
      }
      if (OverBudget()) return Step::OutOfBudget;
      f.waiting = true;
      f.pos = pos;
      f.close = close;
      std::string argument(arg);
      Spend(static_cast<long long>(argument.size()));
      stack.push_back(Frame{std::move(argument)});  // invalidates f
      return Step::Pushed;
    }
  }
  return Step::Finished;
}

void Expander::Replace(Frame& f, const TagInfo& t, std::size_t pos, std::size_t end, std::string_view arg) {
  std::string value;
  try {
    value = Value(t, arg);
    const std::size_t replaced = end - pos;
    if (value.size() > replaced && f.text.size() - replaced + value.size() > brain_.Limits.ValueBytes)
      throw EngineError("Text too long: a tag would make it longer than " + std::to_string(brain_.Limits.ValueBytes) +
                        " bytes");
  } catch (const EngineError& e) {
    // While clauses are scored, a failure ends the answer, as every failure
    // of scoring does. Elsewhere it is the tag's own: it gives the empty
    // text and the rest goes on.
    if (brain_.Scoring > 0) throw;
    brain_.ReportError(e.what());
    value.clear();
  }
  const std::size_t replaced = end - pos;
  Spend(static_cast<long long>(std::max<std::size_t>(f.text.size() + value.size(), 64)));
  // A long value is searched by the tags that follow: it earns its own
  // share of the budget, unless it may hold further tags.
  if (value.find('^') == std::string::npos) gState.budget += kBudgetPerCharacter * static_cast<long long>(value.size());
  f.text.replace(pos, replaced, value);
  // The value may hold tags, and may complete one begun just before it.
  const std::size_t scanFrom = pos >= kLongestTagWord ? pos - kLongestTagWord : 0;
  f.present |= TagsAt(f.text, scanFrom, pos + value.size());
  // The text before the caret held no occurrence; one can only begin
  // within the tag word's length before the replaced part.
  const std::size_t L = t.word.size();
  f.from = pos >= L - 1 ? pos - (L - 1) : 0;
}

std::string Expander::Value(const TagInfo& t, std::string_view arg) {
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
    case Tag::Remain: return RemainingText(brain_, context_, sp_, p_);
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
  if (!top && gState.reentry >= kMaxReentry) return std::string(text);
  struct Scope {
    bool top;
    ~Scope() {
      if (top)
        gState = ExpansionState{};
      else
        --gState.reentry;
    }
  } scope{top};
  if (top) {
    gState.active = true;
    gState.brain = &brain;
    gState.work = 0;
    gState.nextCheck = kWorkBetweenChecks;
    gState.budget = kBaseBudget + kBudgetPerCharacter * static_cast<long long>(text.size());
  } else {
    ++gState.reentry;
  }
  Expander e(brain, context, stepPattern, pattern);
  return e.Run(std::string(text));
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
    // AND, OR, NOT and CUSTOM; CUSTOM-Sub only in a pattern's own fragments.
    const bool searches = (f.Relation >= PatternType::And && f.Relation <= PatternType::Custom) ||
                          (p && f.Relation == PatternType::CustomSub);
    if (!searches) continue;
    remaining = ExpandTags(brain, remaining, remaining, sp, p);
    std::string word = ExpandTags(brain, f.WordFrag, remaining, sp, p);
    std::size_t at = FindText(word, remaining);
    if (at != 0) remaining.erase(at - 1, word.size());
  }
  return remaining;
}

}  // namespace varnex
