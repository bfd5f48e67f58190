// Categories to clauses, and the clauses with the front modes to a brain.
#include "importer/aiml_to_brain.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "importer/aiml_names.h"
#include "importer/aiml_pattern.h"
#include "importer/aiml_template.h"

namespace varnex::aiml {
namespace {

using namespace names;

// At most this many clauses for one category whose pattern holds sets.
constexpr std::size_t kSetExpansionLimit = 1000;

std::string Fact(const std::string& name) { return "^Fact{" + name + "}"; }

TaskLine Task(std::string type, std::string name, std::string value = "", std::string out = "") {
  return TaskLine{std::move(out), std::move(type), std::move(name), std::move(value)};
}

ResponseLine TaskList(std::vector<TaskLine> tasks) { return ResponseLine{"", "Task List", "", "", std::move(tasks)}; }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// A clause that answers an input arriving in a mode where it does not
// belong: it hands the input to the front. It scores `score` when `marker`
// is absent from the input, and the floor when it is there.
ClauseLines Recovery(const char* marker, int32_t score) {
  ClauseLines c;
  c.orderBonus = score;
  c.fragments.push_back({"CUSTOM-Sub", -(kMiss + score), 0, marker, "", ""});
  c.responses.push_back(TaskList({Task("Mode Change", kFrontMode), Task("Submit This", "^Input{0}")}));
  return c;
}

// The tasks that put a text's words, and the topic's, in their
// collections, and submit the normalised input to the categories.
std::vector<TaskLine> SubmitNormalised(const std::string& text) {
  const std::string number = "^MemberX{" + std::string(kNumbers) + "|0}";
  return {
      Task("Clear Collection", kWords),
      Task("Words To Collection", kWords, "", text),
      // The digits that stand at the start of a number (a blank in front,
      // so that one at the start of the text counts too).
      Task("Clear Collection", kNumbers),
      Task("Parse Collection", kDigits, kNumbers, " " + text),
      Task("BranchIf", "[none]", "^MemberX{" + std::string(kWords) + "|0}" + number + "="),
      Task("Assignment", kRaw, text),
      Task("Clear Collection", kTopicWords),
      Task("Words To Collection", kTopicWords, "", Fact(kTopic)),
      Task("Mode Change", kContentMode),
      Task("Submit This", std::string(kInputMarker) + " ^Members{" + kWords + "} " + kThatMarker +
                              Fact(kNumberPrefix + number) + " " + Fact(kThatWords) + " " + kTopicMarker +
                              " ^Members{" + kTopicWords + "} " + kEndMarker),
  };
}

ModeLines FrontMode() {
  ModeLines m{kFrontMode, {}};
  ClauseLines c;
  c.responses.push_back(TaskList({
      // The input, before the cycles below push it down the input history.
      Task("Assignment", kTyped, "^Input{0}"),
      Task("Assignment", kAnswer, ""),
      Task("Assignment", kSeparator, ""),
      Task("Mode Change", kSentenceMode),
      Task("Submit This", Fact(kTyped) + " " + kEndOfText),
      Task("Mode Change", kFrontMode),
      Task("Just Text", "", "", Fact(kAnswer)),
  }));
  m.clauses.push_back(std::move(c));
  return m;
}

// The last sentence of the last answer: split at the marks as sentences
// are, going on with the half after the first mark when it holds words.
ModeLines ThatMode() {
  ModeLines m{kThatMode, {}};
  static const std::pair<const char*, const char*> kMarks[] = {
      {".", "aiml-that-dot-"}, {"?", "aiml-that-question-"}, {"!", "aiml-that-exclaim-"}};
  for (const auto& [mark, fact] : kMarks) {
    const std::string before = std::string(fact) + "1", after = std::string(fact) + "2";
    ClauseLines c;
    c.fragments.push_back(
        {"EXTRACT", 1, 1, "^Extr{" + before + "}" + mark + "^Extr{" + after + "}" + kEndOfText, "", ""});
    c.responses.push_back(TaskList({
        Task("Clear Collection", kThatCollection),
        Task("Words To Collection", kThatCollection, "", Fact(after)),
        Task("BranchIf", "[before]", "^MemberX{" + std::string(kThatCollection) + "|0}="),
        Task("Submit This", Fact(after) + " " + kEndOfText),
        Task("Goto", "[end]"),
        Task("Set Label", "[before]"),
        Task("Submit This", Fact(before) + " " + kEndOfText),
        Task("Set Label", "[end]"),
    }));
    m.clauses.push_back(std::move(c));
  }
  ClauseLines c;
  c.fragments.push_back({"EXTRACT", 0, 0, "^Extr{" + std::string(kThatRaw) + "}" + kEndOfText, "", ""});
  c.responses.push_back(TaskList({
      Task("Clear Collection", kThatCollection),
      Task("Words To Collection", kThatCollection, "", Fact(kThatRaw)),
      Task("Assignment", kThatWords, "^Members{" + std::string(kThatCollection) + "}"),
  }));
  m.clauses.push_back(std::move(c));
  m.clauses.push_back(Recovery(kEndOfText, 2));
  return m;
}

ModeLines SentenceMode() {
  ModeLines m{kSentenceMode, {}};
  // A sentence ends at ".", "?" or "!": the text before the first one and
  // the text after it go round again, in order. The half before holds no
  // such mark, so its round leaves this clause's facts alone.
  static const std::pair<const char*, const char*> kMarks[] = {
      {".", "aiml-dot-"}, {"?", "aiml-question-"}, {"!", "aiml-exclaim-"}};
  for (const auto& [mark, fact] : kMarks) {
    const std::string before = std::string(fact) + "1", after = std::string(fact) + "2";
    ClauseLines c;
    c.fragments.push_back(
        {"EXTRACT", 1, 1, "^Extr{" + before + "}" + mark + "^Extr{" + after + "}" + kEndOfText, "", ""});
    c.responses.push_back(TaskList({Task("Submit This", Fact(before) + " " + kEndOfText),
                                    Task("Submit This", Fact(after) + " " + kEndOfText)}));
    m.clauses.push_back(std::move(c));
  }
  ClauseLines c;
  c.fragments.push_back({"EXTRACT", 0, 0, "^Extr{" + std::string(kSentence) + "}" + kEndOfText, "", ""});
  std::vector<TaskLine> tasks = SubmitNormalised(Fact(kSentence));
  // The sentences asked, for <input index="n"/>: inserted before the
  // submission, after the test for a sentence without words.
  std::vector<TaskLine> history;
  for (int i = kInputHistory; i > 1; --i)
    history.push_back(Task("Assignment", kInputPrefix + std::to_string(i), Fact(kInputPrefix + std::to_string(i - 1))));
  history.push_back(Task("Assignment", std::string(kInputPrefix) + "1", Fact(kSentence)));
  history.push_back(Task("Assignment", kReply, ""));
  history.push_back(Task("Assignment", kDepth, "0"));
  tasks.insert(tasks.begin() + 5, history.begin(), history.end());
  // Each sentence's answer joins the answer, a blank between two; an
  // empty answer adds nothing (the jump finds its label only when the
  // answer is empty).
  tasks.push_back(Task("Mode Change", kSentenceMode));
  tasks.push_back(Task("Goto", "[skip]" + Fact(kReply)));
  tasks.push_back(Task("Assignment", kAnswer, Fact(kAnswer) + Fact(kSeparator) + Fact(kReply)));
  tasks.push_back(Task("Assignment", kSeparator, " "));
  // What the next sentence answers: the last sentence of this answer.
  tasks.push_back(Task("Mode Change", kThatMode));
  tasks.push_back(Task("Submit This", Fact(kReply) + " " + kEndOfText));
  tasks.push_back(Task("Mode Change", kSentenceMode));
  tasks.push_back(Task("Set Label", "[skip]"));
  tasks.push_back(Task("Set Label", "[none]"));
  c.responses.push_back(TaskList(std::move(tasks)));
  m.clauses.push_back(std::move(c));
  m.clauses.push_back(Recovery(kEndOfText, 2));
  return m;
}

ModeLines SraiMode() {
  ModeLines m{kSraiMode, {}};
  ClauseLines c;
  c.fragments.push_back({"EXTRACT", 0, 0, "^Extr{" + std::string(kSentence) + "}" + kEndOfText, "", ""});
  std::vector<TaskLine> tasks = {Task("Assignment", kReply, "")};
  for (auto& t : SubmitNormalised(Fact(kSentence))) tasks.push_back(std::move(t));
  tasks.push_back(Task("Set Label", "[none]"));
  c.responses.push_back(TaskList(std::move(tasks)));
  m.clauses.push_back(std::move(c));
  m.clauses.push_back(Recovery(kEndOfText, 1));
  return m;
}

ModeLines CaptureMode() {
  ModeLines m{kCaptureMode, {}};
  ClauseLines c;
  c.fragments.push_back({"EXTRACT", 0, 0, Fact(kCapture), "", ""});
  m.clauses.push_back(std::move(c));
  m.clauses.push_back(Recovery(kEndMarker, 1));
  return m;
}

// The tasks that capture a response's stars, put before its own.
bool AddCapture(const Path& path, CompiledResponse& r, std::string& why) {
  CaptureSpec spec;
  std::vector<std::string>* specs[3] = {&spec.input, &spec.that, &spec.topic};
  std::vector<TaskLine> tasks;
  bool any = false;
  for (int s = 0; s < 3; ++s) {
    specs[s]->assign(static_cast<std::size_t>(path.Stars(static_cast<Section>(s))), "");
    for (int n : r.stars[s]) {
      const std::string fact = StarFact(static_cast<Section>(s), n, r.depthKeyed);
      (*specs[s])[static_cast<std::size_t>(n - 1)] = fact;
      // A capture that does not match leaves the star empty, not as the
      // last input left it.
      tasks.push_back(Task("Assignment", fact, ""));
      any = true;
    }
  }
  if (!any) return true;
  Capture capture;
  if (!CaptureFor(path, spec, capture, why)) return false;
  tasks.push_back(Task("Assignment", kCapture, capture.templ));
  tasks.push_back(Task("Mode Change", kCaptureMode));
  tasks.push_back(Task("Submit This", capture.text + (capture.text.ends_with(kEndMarker) ? "" : std::string(" ") + kEndMarker)));
  tasks.push_back(Task("Mode Change", kContentMode));
  ResponseLine& line = r.response;
  if (line.type == "Assignment") {
    tasks.push_back(Task("Assignment", line.name, line.value));
    line = TaskList({});
  }
  line.tasks.insert(line.tasks.begin(), tasks.begin(), tasks.end());
  return true;
}

}  // namespace

std::map<std::string, int32_t> Ranks(std::vector<std::string> sequences) {
  std::sort(sequences.begin(), sequences.end());
  sequences.erase(std::unique(sequences.begin(), sequences.end()), sequences.end());
  std::map<std::string, int32_t> ranks;
  int32_t r = 0;
  for (auto& s : sequences) ranks.emplace(std::move(s), r += 2);
  return ranks;
}

struct Converter::State {
  explicit State(const Resources& r) : resources(r) {}
  const Resources& resources;
  struct Stored {
    ClauseLines clause;
    std::size_t sequence;  // into `sequences`
    std::size_t category;  // the category's number, for replacements
    bool alive = true;
  };
  std::vector<Stored> clauses;
  std::unordered_map<std::string, std::size_t> byKey;  // path key to clause
  std::vector<std::pair<std::string, int>> categoryPlace;  // file and line of each converted category
  std::vector<std::string> sequences;
  std::map<std::string, std::size_t> sequenceIds;
  std::set<std::string> predicates;
  std::set<int> dice;
  bool learns = false;
  ConvertCounts counts;

  // Clauses learnt at run time: their class sequences, ranked at the end
  // against the others, and how many <eval> word collections they use.
  std::vector<std::string> learntSequences;
  int learnWords = 0;
  LearnOutput Learn(const Node& category, std::vector<Approximation>& notes);

  std::size_t SequenceId(std::string s) {
    auto [it, added] = sequenceIds.emplace(std::move(s), sequences.size());
    if (added) sequences.push_back(it->first);
    return it->second;
  }

  void Convert(const Category& c, std::vector<Problem>& problems);
};

namespace {

// A learnt line's ^ tags stay tags until it answers: each caret is written
// as ^Div{^|}, which the expansion of the Add To Collection that stores the
// line turns into a caret, and does not look at again (^Div is the last
// tag expanded). The parts marked to be expanded now are left as they are.
std::string KeepTags(const std::string& line) {
  std::string out;
  bool now = false;
  for (char c : line) {
    if (c == kLearnNow) now = true;
    else if (c == kLearnNowEnd) now = false;
    else if (c == '^' && !now) out += "^Div{^|}";
    else out += c;
  }
  return out;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// The placeholder of a learnt rank in a line: L for the order bonus, N for
// the bonus of the fragments that bring it to the floor, P for those that
// lift it back.
std::string RankMark(char kind, std::size_t id) { return "\x02" + std::string(1, kind) + std::to_string(id) + "\x02"; }

}  // namespace

LearnOutput Converter::State::Learn(const Node& category, std::vector<Approximation>& notes) {
  const Node *pattern = nullptr, *that = nullptr, *templ = nullptr;
  std::string topic;
  for (const auto& c : category.children) {
    if (c.text) continue;
    if (c.name == "pattern") pattern = &c;
    else if (c.name == "that") that = &c;
    else if (c.name == "template") templ = &c;
    else if (c.name == "topic") for (const auto& t : c.children) topic += t.text ? t.value : "";
  }
  if (!pattern || !templ) throw SkipCategory{"learn", category.line, "a learnt category without pattern or template"};
  std::vector<RawElement> input, thatElements, topicElements;
  std::string element, why;
  if (!ParseSection(*pattern, resources, input, element, why) || (that && !ParseSection(*that, resources, thatElements, element, why)) ||
      !ParseSectionText(topic, topicElements, why))
    throw SkipCategory{"learn", pattern->line, "in the learnt category: " + why};
  if (input.empty()) throw SkipCategory{"learn", pattern->line, "a learnt category with an empty pattern"};
  LearnOutput out;
  // Each <eval> of the pattern: its words are known when it is learnt, and
  // go into a collection of their own, joined as the front joins words.
  std::vector<std::pair<std::string, std::string>> words, literals;  // placeholder, replacement
  int evals = 0;
  for (auto* section : {&input, &thatElements}) {
    for (auto& r : *section) {
      if (r.element.learnExpression.empty()) continue;
      const std::string collection = kLearnWords + std::to_string(++evals);
      const std::string placeholder = std::string(1, kLearnWord) + std::to_string(evals);
      r.element.words = {placeholder};
      out.before.push_back(Task("Clear Collection", collection));
      out.before.push_back(Task("Words To Collection", collection, "", r.element.learnExpression));
      words.emplace_back(placeholder, kLearnNow + ("^Members{" + collection + "}") + kLearnNowEnd);
      literals.emplace_back(placeholder, kLearnNow + r.element.learnExpression + kLearnNowEnd);
    }
  }
  learnWords = std::max(learnWords, evals);
  std::vector<Path> paths;
  if (!ExpandSets(input, thatElements, topicElements, resources, 1, paths, why))
    throw SkipCategory{"learn", pattern->line, "a learnt category with a set in its pattern"};
  const Path& path = paths.front();
  TemplateEnv env;
  env.resources = &resources;
  for (int s = 0; s < 3; ++s) env.stars[s] = path.Stars(static_cast<Section>(s));
  CompiledTemplate compiled = CompileTemplate(*templ, env);
  for (auto& a : compiled.approximations) notes.push_back(std::move(a));
  predicates.insert(compiled.predicates.begin(), compiled.predicates.end());
  dice.insert(compiled.diceSizes.begin(), compiled.diceSizes.end());
  const std::size_t id = learntSequences.size();
  learntSequences.push_back(path.Classes());
  ClauseLines clause;
  clause.orderPenalty = kMiss;
  clause.fragments = PathFragments(path, 0);
  for (auto& f : clause.fragments)
    for (const auto& [placeholder, tag] : words) f.word = ReplaceAll(f.word, placeholder, tag);
  for (auto& r : compiled.responses) {
    if (!AddCapture(path, r, why)) throw SkipCategory{"learn", pattern->line, why};
    for (auto& t : r.response.tasks)
      for (const auto& [placeholder, text] : literals) t.value = ReplaceAll(t.value, placeholder, text);
    clause.responses.push_back(std::move(r.response));
  }
  std::vector<std::string> lines;
  AppendClause(lines, clause);
  lines.pop_back();  // the empty line after the clause
  // The member list takes each line once, ignoring case and blanks around
  // it: a line met again is told apart by a number in a field it does not
  // use (or blanks before its text).
  std::set<std::string> seen;
  for (auto& line : lines) {
    if (line.starts_with("For-Mode ")) line = "For-Mode " + RankMark('L', id) + "," + std::to_string(kMiss);
    if (line.find("Fragment CUSTOM-Sub,") != std::string::npos) {
      line = ReplaceAll(line, "CUSTOM-Sub," + std::to_string(-kMiss) + ",", "CUSTOM-Sub," + RankMark('N', id) + ",");
      line = ReplaceAll(line, "CUSTOM-Sub," + std::to_string(kMiss) + ",", "CUSTOM-Sub," + RankMark('P', id) + ",");
    }
    line = KeepTags(line);
    for (int n = 1; !seen.insert(UpperAscii(line.substr(line.find_first_not_of(' ')))).second; ++n) {
      const std::size_t open = line.find("Task {");
      if (open == std::string::npos) break;
      const bool textTask = line.find("},Just Text,") != std::string::npos || line.find("},Words To Collection,") != std::string::npos;
      line.insert(open + 6, textTask ? std::string(" ") : std::to_string(n));
    }
    out.lines.push_back(std::move(line));
  }
  return out;
}

void Converter::State::Convert(const Category& c, std::vector<Problem>& problems) {
  ++counts.categories;
  auto skip = [&](const std::string& element, int line, const std::string& why) {
    ++counts.skipped;
    problems.push_back({Problem::Kind::Skipped, c.file, line ? line : c.line, element, why});
  };
  std::vector<RawElement> input, that, topic;
  std::string element, why;
  if (!ParseSection(c.pattern, resources, input, element, why)) return skip(element, c.pattern.line, why);
  if (input.empty()) return skip("pattern", c.pattern.line, "the pattern is empty");
  if (c.hasThat && !ParseSection(c.that, resources, that, element, why))
    return skip(element == "pattern" ? "that" : element, c.that.line, why);
  if (!c.topic.empty() && !ParseSectionText(c.topic, topic, why)) return skip("topic", c.line, why);
  std::vector<Path> paths;
  if (!ExpandSets(input, that, topic, resources, kSetExpansionLimit, paths, why)) return skip("set", c.pattern.line, why);

  struct Made {
    ClauseLines clause;
    std::string key;
    std::string sequence;
  };
  std::vector<Made> made;
  std::vector<Approximation> notes;
  CompiledTemplate compiled;
  try {
    for (const Path& path : paths) {
      TemplateEnv env;
      env.resources = &resources;
      env.learn = [this](const Node& category, std::vector<Approximation>& learnNotes) {
        return Learn(category, learnNotes);
      };
      for (int s = 0; s < 3; ++s) {
        env.stars[s] = path.Stars(static_cast<Section>(s));
        int star = 0;
        for (const auto& e : path.Of(static_cast<Section>(s))) {
          if (!e.bindsStar) continue;
          ++star;
          if (!e.Wildcard()) env.staticStars[s][star] = e.boundText;
        }
      }
      compiled = CompileTemplate(c.templ, env);
      Made m;
      m.key = path.Key();
      m.sequence = path.Classes();
      m.clause.orderPenalty = kMiss;
      m.clause.fragments = PathFragments(path, 0);
      for (auto& r : compiled.responses) {
        if (!AddCapture(path, r, why)) throw SkipCategory{"pattern", c.pattern.line, why};
        m.clause.responses.push_back(std::move(r.response));
      }
      made.push_back(std::move(m));
      if (notes.empty()) notes = compiled.approximations;
      predicates.insert(compiled.predicates.begin(), compiled.predicates.end());
      dice.insert(compiled.diceSizes.begin(), compiled.diceSizes.end());
      learns = learns || compiled.learns;
    }
  } catch (const SkipCategory& s) {
    return skip(s.element, s.line, s.message);
  }

  const std::size_t number = categoryPlace.size();
  categoryPlace.emplace_back(c.file, c.line);
  ++counts.converted;
  std::set<std::size_t> replacedCategories;
  for (auto& m : made) {
    auto [it, added] = byKey.emplace(m.key, clauses.size());
    if (!added) {
      Stored& old = clauses[it->second];
      if (old.category == number) continue;  // two members of a set that read alike
      old.alive = false;
      replacedCategories.insert(old.category);
      it->second = clauses.size();
    }
    clauses.push_back({std::move(m.clause), SequenceId(std::move(m.sequence)), number, true});
  }
  for (std::size_t old : replacedCategories) {
    ++counts.replaced;
    problems.push_back({Problem::Kind::Replaced, categoryPlace[old].first, categoryPlace[old].second, "category",
                        "replaced by the category with the same pattern, that and topic at " + c.file + ":" +
                            std::to_string(c.line)});
  }
  if (!notes.empty()) {
    ++counts.approximated;
    std::set<std::pair<std::string, std::string>> told;
    for (const auto& a : notes)
      if (told.emplace(a.element, a.message).second)
        problems.push_back({Problem::Kind::Approximated, c.file, a.line ? a.line : c.line, a.element, a.message});
  }
}

Converter::Converter(const Resources& resources) : state_(std::make_unique<State>(resources)) {}
Converter::~Converter() = default;

void Converter::Add(const std::vector<Category>& categories, std::vector<Problem>& problems) {
  for (const auto& c : categories) state_->Convert(c, problems);
}

const ConvertCounts& Converter::Counts() const { return state_->counts; }

BrainLines Converter::Brain() {
  State& s = *state_;
  std::vector<std::string> used;
  for (const auto& c : s.clauses)
    if (c.alive) used.push_back(s.sequences[c.sequence]);
  const auto ranks = Ranks(std::move(used));
  int32_t top = 0;
  for (const auto& [seq, r] : ranks) top = std::max(top, r);

  // A learnt clause goes just above the clauses it equals (or just above
  // those it follows), so that what is learnt wins over what was there.
  std::vector<int32_t> learntRanks;
  for (const auto& seq : s.learntSequences) {
    auto it = ranks.upper_bound(seq);
    learntRanks.push_back(it == ranks.begin() ? 1 : std::prev(it)->second + 1);
  }
  auto patchLearnt = [&](std::string& text) {
    for (std::size_t at = text.find('\x02'); at != std::string::npos; at = text.find('\x02', at)) {
      const std::size_t end = text.find('\x02', at + 1);
      const char kind = text[at + 1];
      const int32_t rank = learntRanks.at(static_cast<std::size_t>(std::stoul(text.substr(at + 2, end - at - 2))));
      const std::string value = std::to_string(kind == 'L' ? rank : kind == 'P' ? kMiss + rank : -(kMiss + rank));
      text.replace(at, end - at + 1, value);
      at += value.size();
    }
  };

  BrainLines brain;
  ModeLines content{kContentMode, {}};
  s.counts.clauses = 0;
  for (auto& c : s.clauses) {
    if (!c.alive) continue;
    const int32_t rank = ranks.at(s.sequences[c.sequence]);
    c.clause.orderBonus = rank;
    for (auto& f : c.clause.fragments)
      if (f.relation == "CUSTOM-Sub") f.bonus += f.bonus < 0 ? -rank : rank;
    if (!s.learntSequences.empty())
      for (auto& r : c.clause.responses)
        for (auto& t : r.tasks) patchLearnt(t.value);
    content.clauses.push_back(std::move(c.clause));
    ++s.counts.clauses;
  }
  s.clauses.clear();
  // No category matches: the answer is empty, as AIML's would be.
  ClauseLines none;
  none.responses.push_back(ResponseLine{"", "Assignment", kReply, "", {}});
  content.clauses.push_back(std::move(none));
  // An input typed by the user that reaches this mode goes to the front.
  content.clauses.push_back(Recovery(kInputMarker, top + 10));
  s.learntSequences.clear();
  brain.modes.push_back(std::move(content));
  brain.modes.push_back(FrontMode());
  brain.modes.push_back(ThatMode());
  brain.modes.push_back(SentenceMode());
  brain.modes.push_back(SraiMode());
  brain.modes.push_back(CaptureMode());

  // Facts: the predicates the categories read and set start out empty (as
  // AIML's do), then the bot's properties, the maps, and the brain's own.
  for (const auto& p : s.predicates) brain.facts.emplace_back(p, "");
  brain.facts.emplace_back(kTopic, "");
  for (const auto& name : s.resources.botOrder) {
    std::string n = kBotPrefix + name, v = s.resources.bot.at(name);
    MakeFieldSafe(n);
    MakeFieldSafe(v);
    brain.facts.emplace_back(std::move(n), std::move(v));
  }
  for (const auto& [name, pairs] : s.resources.maps)
    for (const auto& [key, value] : pairs) {
      std::string k = key, v = value;
      MakeFieldSafe(k);
      MakeFieldSafe(v);
      brain.facts.emplace_back(kMapPrefix + Lower(name) + "." + k, v);
    }
  for (const char* f : {kTyped, kReply, kAnswer, kSeparator, kThatWords, kThatRaw, kRaw, kCapture, kDepth})
    brain.facts.emplace_back(f, f == std::string(kDepth) ? "0" : "");
  for (int i = 1; i <= kInputHistory; ++i) brain.facts.emplace_back(kInputPrefix + std::to_string(i), "");
  brain.facts.emplace_back(kNumberPrefix, "");
  for (int d = 0; d <= 9; ++d) brain.facts.emplace_back(kNumberPrefix + std::to_string(d), std::string(" ") + kNumberMarker);
  brain.facts.emplace_back(kSize, std::to_string(s.counts.converted - s.counts.replaced));

  for (const char* c : {kWords, kThatCollection, kTopicWords, kCondWords, kCondWords2, kNumbers})
    brain.collections.push_back({c, false, {}});
  brain.collections.push_back({kDigits, false, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}});
  if (s.learns) brain.collections.push_back({kLearnLines, false, {}});
  for (int i = 1; i <= s.learnWords; ++i) brain.collections.push_back({kLearnWords + std::to_string(i), false, {}});
  for (int n : s.dice) {
    CollectionLines d{kDicePrefix + std::to_string(n), false, {}};
    for (int i = 1; i <= n; ++i) d.members.push_back(std::to_string(i));
    brain.collections.push_back(std::move(d));
  }
  for (const auto& [name, members] : s.resources.sets) {
    CollectionLines set{Lower(name), false, members};
    MakeFieldSafe(set.name);
    for (auto& m : set.members) MakeFieldSafe(m);
    brain.collections.push_back(std::move(set));
  }
  return brain;
}

}  // namespace varnex::aiml
