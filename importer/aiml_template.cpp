// Compiling templates into responses and tasks.
//
// The answer is built in a *buffer*: a fact that holds what is final, and a
// pending text (with ^ tags) not yet stored. Pending text is stored before
// anything with a side effect runs, whenever it could read what the side
// effect changes; plain text waits, so that a template of text, stars and
// predicates costs one Assignment.
//
// A <srai> runs a whole nested cycle, in which other categories capture
// their stars and build their answers in the same facts. When a template
// needs its own values after a <srai> (text before it that is not plain, a
// star read after it, a second <srai>), its buffer and stars are keyed by
// the nesting depth, fact aiml-depth, which the <srai> raises for the time
// of the call: aiml-out-^Fact{aiml-depth}.
#include "importer/aiml_template.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "importer/aiml_names.h"

namespace varnex::aiml {
namespace {

using namespace names;

std::string Fact(const std::string& name) { return "^Fact{" + name + "}"; }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

bool Dynamic(const std::string& s) { return s.find('^') != std::string::npos; }

// Elements that cannot be converted, and why.
const std::map<std::string, std::string>& Unconvertible() {
  static const std::map<std::string, std::string> m = {
      {"system", "runs a program on the interpreter's machine"},
      {"javascript", "runs JavaScript"},
      {"gossip", "writes to the interpreter's gossip file"},
      {"sraix", "asks another bot over the network"},
      {"explode", "has no counterpart in the brain's tags"},
      {"normalize", "has no counterpart in the brain's tags"},
      {"denormalize", "has no counterpart in the brain's tags"},
      {"first", "has no counterpart in the brain's tags"},
      {"rest", "has no counterpart in the brain's tags"},
      {"interval", "has no counterpart in the brain's tags"},
      {"search", "has no counterpart in the brain's tags"},
      {"uniq", "needs the interpreter's triple store"},
      {"select", "needs the interpreter's triple store"},
      {"addtriple", "needs the interpreter's triple store"},
      {"deletetriple", "needs the interpreter's triple store"},
      {"vocabulary", "has no counterpart in the brain's tags"},
  };
  return m;
}

// Elements of AIML itself; anything else in a template is markup (HTML and
// the like) whose text is kept.
bool IsAiml(const std::string& n) {
  static const std::set<std::string> known = {
      "star",    "that",      "input",     "thatstar", "topicstar", "get",       "bot",      "sr",
      "person2", "person",    "gender",    "date",     "id",        "size",      "version",  "uppercase",
      "lowercase", "formal",  "sentence",  "condition", "random",   "li",        "set",      "srai",
      "think",   "learn",     "learnf",    "eval",     "map",       "request",   "response", "loop",
      "program", "oob",       "name",      "value",    "var",      kEvaluated};
  return known.count(n) || Unconvertible().count(n);
}

// The index attribute: "n" or "n,m"; the first number, at least 1.
int IndexOf(const Node& n, int& second) {
  second = 1;
  const std::string* a = n.Attribute("index");
  if (!a) return 1;
  const std::string s = Trim(*a);
  int first = 0;
  std::size_t i = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && first < 100000) first = first * 10 + (s[i++] - '0');
  if (i < s.size() && s[i] == ',') {
    int m = 0;
    ++i;
    while (i < s.size() && s[i] == ' ') ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && m < 100000) m = m * 10 + (s[i++] - '0');
    second = m;
  }
  return first;
}

// A name given in an attribute, made safe for a brace field.
std::string SafeName(std::string name) {
  name = Trim(name);
  MakeFieldSafe(name);
  for (char& c : name)
    if (c == '^') c = '_';
  return name;
}

struct Buffer {
  explicit Buffer(std::string f = "") : fact(std::move(f)) {}
  std::string fact;
  bool started = false;  // the fact holds the first part of the value
  std::string pending;   // what follows, not stored yet
  bool discard = false;  // inside <think>: text goes nowhere
  std::string Value() const { return (started ? Fact(fact) : "") + pending; }
};

class Compiler {
 public:
  Compiler(const TemplateEnv& env, CompiledTemplate& result) : env_(env), result_(result) {}

  CompiledResponse Compile(const std::vector<Node>& nodes, int line) {
    depth_ = NeedsDepth(nodes);
    tasks_.clear();
    for (auto& s : stars_) s.clear();
    labels_ = temps_ = 0;
    buffers_.clear();
    buffers_.push_back(Buffer(depth_ ? Keyed("aiml-out") : kReply));
    line_ = line;
    CompileNodes(nodes);
    Finish();
    CompiledResponse r;
    r.depthKeyed = depth_;
    for (int s = 0; s < 3; ++s) r.stars[s] = stars_[s];
    if (tasks_.size() == 1 && tasks_[0].type == "Assignment" && tasks_[0].name == kReply) {
      r.response = ResponseLine{"", "Assignment", kReply, tasks_[0].value, {}};
    } else {
      r.response = ResponseLine{"", "Task List", "", "", tasks_};
    }
    return r;
  }

 private:
  // ---- names ----
  std::string Keyed(const std::string& base) const { return depth_ ? base + "-" + Fact(kDepth) : base; }

  // ---- the depth decision ----
  static int CountSrai(const Node& n) {
    if (n.text) return 0;
    int c = (n.name == "srai" || n.name == "sr") ? 1 : 0;
    for (const auto& k : n.children) c += CountSrai(k);
    return c;
  }
  // One <srai>, with nothing but <think> before it (and the <think> it may
  // stand in) and nothing but plain text after it: nothing this template
  // made needs to outlive the call.
  static bool NeedsDepth(const std::vector<Node>& nodes) {
    int srai = 0;
    for (const auto& n : nodes) srai += CountSrai(n);
    if (srai == 0) return false;
    if (srai > 1) return true;
    bool seen = false;
    return !PlainAround(nodes, seen);
  }
  static bool PlainAround(const std::vector<Node>& nodes, bool& seen) {
    for (const auto& n : nodes) {
      if (n.text) continue;
      if (seen) return false;
      if (n.name == "srai" || n.name == "sr") {
        seen = true;
      } else if (n.name != "think" || (CountSrai(n) > 0 && !PlainAround(n.children, seen))) {
        return false;
      }
    }
    return true;
  }

  // ---- emitting ----
  void Emit(std::string type, std::string name, std::string value = "", std::string out = "") {
    tasks_.push_back(TaskLine{std::move(out), std::move(type), std::move(name), std::move(value)});
  }
  void Label(const std::string& label) { Emit("Set Label", label); }
  void Goto(const std::string& label) { Emit("Goto", label); }
  void Approximate(const Node& n, const std::string& message) {
    result_.approximations.push_back({n.text ? "text" : n.name, n.line ? n.line : line_, message});
  }
  [[noreturn]] void Skip(const Node& n, const std::string& message) {
    throw SkipCategory{n.name, n.line ? n.line : line_, message};
  }

  Buffer& Top() { return buffers_.back(); }

  void Append(Buffer& b, const std::string& text) {
    if (b.discard || text.empty()) return;
    if (&b == &buffers_.front() && !b.started && b.pending.empty()) {
      // The answer does not begin with blanks.
      std::size_t i = 0;
      while (i < text.size() && text[i] == ' ') ++i;
      b.pending += text.substr(i);
      return;
    }
    b.pending += text;
  }
  // Stores the pending text.
  void Flush(Buffer& b) {
    if (b.discard || (b.started && b.pending.empty())) return;
    Emit("Assignment", b.fact, b.Value());
    b.started = true;
    b.pending.clear();
  }
  // Before anything that changes the brain: pending text that reads the
  // brain is stored first, in every buffer being built.
  void BeforeSideEffect() {
    for (auto& b : buffers_)
      if (Dynamic(b.pending)) Flush(b);
  }

  // ---- inline expressions ----
  // The node as a text with tags, when it has no side effect.
  bool Inline(const Node& n, std::string& out) {
    if (n.text) {
      out += CleanText(n.value);
      return true;
    }
    const std::string& e = n.name;
    if (e == "star" || e == "thatstar" || e == "topicstar") {
      const Section s = e == "star" ? Section::Input : e == "thatstar" ? Section::That : Section::Topic;
      int m = 1;
      out += Star(s, IndexOf(n, m));
      return true;
    }
    if (e == "get") {
      out += Fact(PredicateName(n, "get"));
      return true;
    }
    if (e == "bot" || e == "name") {
      const std::string* a = n.Attribute("name");
      std::string name = e == "name" ? "name" : a ? Lower(SafeName(*a)) : "";
      if (name.empty()) Skip(n, "<bot> without a name");
      out += Fact(kBotPrefix + name);
      return true;
    }
    if (e == "date") {
      if (n.Attribute("format") || n.Attribute("jformat"))
        Approximate(n, "the date is given in the user's short date format, not the one asked for");
      out += "^SysFact{DATE}";
      return true;
    }
    if (e == "input" || e == "request") {
      int sentence = 1;
      const int i = IndexOf(n, sentence);
      if (i < 1 || i > kInputHistory) Skip(n, "<" + e + "> reaches back further than " + std::to_string(kInputHistory) + " sentences");
      if (e == "request") Approximate(n, "<request> gives the sentence asked, not the whole input it was part of");
      if (sentence != 1) Approximate(n, "a sentence index of <input> is not kept; the sentence itself is given");
      out += Fact(kInputPrefix + std::to_string(i));
      return true;
    }
    if (e == "that" || e == "response") {
      int sentence = 1;
      const int i = IndexOf(n, sentence);
      if (i < 1 || i > 100) Skip(n, "<" + e + "> reaches back further than the hundred answers kept");
      if (e == "that" && i == 1 && sentence == 1) {
        out += Fact(kThatRaw);  // the last sentence of the last answer
        return true;
      }
      if (e == "that") Approximate(n, "<that> of an earlier answer, or of another sentence, gives a whole answer");
      out += "^LastOut{" + std::to_string(i - 1) + "}";
      return true;
    }
    if (e == "id") {
      out += "user";
      return true;
    }
    if (e == "size") {
      out += Fact(kSize);
      return true;
    }
    if (e == "version" || e == "program") {
      out += "Varnex";
      return true;
    }
    if (e == "uppercase" || e == "lowercase" || e == "formal" || e == "sentence" || e == "person" || e == "person2" ||
        e == "gender") {
      std::string inner;
      if (n.children.empty() && (e == "person" || e == "person2" || e == "gender")) {
        inner = Star(Section::Input, 1);  // <person/> is <person><star/></person>
      } else if (!InlineAll(n.children, inner)) {
        return false;
      }
      if (Dynamic(inner)) {
        Approximate(n, "<" + e + "> of text known only when answering is left as it is");
        out += inner;
        return true;
      }
      if (e == "uppercase") inner = UpperAscii(inner);
      else if (e == "lowercase") inner = Lower(inner);
      else if (e == "formal") inner = Formal(inner);
      else if (e == "sentence") inner = SentenceCase(inner);
      else inner = PersonSwap(inner, e == "person" ? 1 : e == "person2" ? 2 : 3);
      out += inner;
      return true;
    }
    if (e == "map") {
      const std::string* a = n.Attribute("name");
      const std::string name = a ? UpperAscii(Trim(*a)) : "";
      if (!env_.resources || env_.resources->maps.find(name) == env_.resources->maps.end())
        Skip(n, "no map file for the map \"" + (a ? Trim(*a) : std::string()) + "\" (give NAME.map files to import)");
      std::string key;
      if (!InlineAll(n.children, key)) return false;
      out += Fact(kMapPrefix + Lower(SafeName(*a)) + "." + Trim(key));
      return true;
    }
    if (e == "eval") return InlineAll(n.children, out);
    if (e == kEvaluated) {
      out += kLearnNow + n.value + kLearnNowEnd;
      return true;
    }
    if (e == "oob") {
      Approximate(n, "<oob> (a command for the client) is left out");
      return true;
    }
    if (e == "br") {
      out += " ";
      return true;
    }
    if (!IsAiml(e)) {
      Markup(n);
      return InlineAll(n.children, out);
    }
    return false;
  }
  bool InlineAll(const std::vector<Node>& nodes, std::string& out) {
    std::string s;
    for (const auto& n : nodes)
      if (!Inline(n, s)) return false;
    out += s;
    return true;
  }
  void Markup(const Node& n) {
    if (n.name == "br") return;
    Approximate(n, "markup <" + n.name + "> is left out, its text kept");
  }

  std::string Star(Section s, int n) {
    const int si = static_cast<int>(s);
    if (n < 1 || n > env_.stars[si]) return "";
    auto known = env_.staticStars[si].find(n);
    if (known != env_.staticStars[si].end()) return CleanText(known->second);
    stars_[si].insert(n);
    return Fact(StarFact(s, n, depth_));
  }

  std::string PredicateName(const Node& n, const char* what) {
    if (const std::string* v = n.Attribute("var")) return Keyed("aiml-var-" + Lower(SafeName(*v)));
    const std::string* a = n.Attribute("name");
    std::string name;
    if (a) {
      name = SafeName(*a);
    } else {
      // <get><name>x</name></get> and the like: the name may be computed.
      for (const auto& c : n.children)
        if (!c.text && c.name == "name" && !InlineAll(c.children, name)) Skip(n, "a computed predicate name with side effects");
      name = Trim(name);
    }
    if (name.empty()) Skip(n, std::string("<") + what + "> without a predicate name");
    if (!Dynamic(name)) result_.predicates.insert(name);
    return name;
  }

  // The value of nodes: inline when possible, else built in a buffer of
  // its own.
  std::string ValueOf(const std::vector<Node>& nodes) {
    std::string s;
    {
      // Inline() reports approximations; try without keeping them twice.
      const std::size_t notes = result_.approximations.size();
      if (InlineAll(nodes, s)) return s;
      result_.approximations.resize(notes);
    }
    buffers_.push_back(Buffer(Keyed("aiml-temp" + std::to_string(++temps_))));
    CompileNodes(nodes);
    Buffer b = buffers_.back();
    buffers_.pop_back();
    return b.Value();
  }

  // ---- compiling ----
  void CompileNodes(const std::vector<Node>& nodes) {
    for (const auto& n : nodes) CompileNode(n);
  }

  void CompileNode(const Node& n) {
    {
      std::string s;
      const std::size_t notes = result_.approximations.size();
      if (Inline(n, s)) {
        Append(Top(), s);
        return;
      }
      result_.approximations.resize(notes);
    }
    const std::string& e = n.name;
    if (auto u = Unconvertible().find(e); u != Unconvertible().end()) Skip(n, "<" + e + "> " + u->second);
    if (e == "srai") return Srai(ValueOf(n.children));
    if (e == "sr") return Srai(Star(Section::Input, 1));
    if (e == "set") return Set(n);
    if (e == "think") {
      Buffer b;
      b.discard = true;
      buffers_.push_back(b);
      CompileNodes(n.children);
      buffers_.pop_back();
      return;
    }
    if (e == "condition") return Condition(n);
    if (e == "random") return Random(n);
    if (e == "learn" || e == "learnf") return Learn(n);
    if (e == "loop") Skip(n, "<loop/> outside a <condition>'s <li>");
    if (e == "li") Skip(n, "<li> outside <random> or <condition>");
    if (e == "name" || e == "value" || e == "var") Skip(n, "<" + e + "> where it has no meaning");
    // Markup or a transformation around content with side effects: the
    // content, as it is.
    if (!IsAiml(e))
      Markup(n);
    else
      Approximate(n, "<" + e + "> of text with side effects is left as it is");
    CompileNodes(n.children);
  }

  void Srai(const std::string& text) {
    BeforeSideEffect();
    std::string submitted = text;
    if (depth_) {
      // The text is made before the depth changes, since it may read this
      // template's stars and buffers.
      if (Dynamic(text)) {
        Emit("Assignment", kSraiText, text);
        submitted = Fact(kSraiText);
      }
      Emit("Assignment", kDepth, "^Add{" + Fact(kDepth) + "|1}");
    }
    Emit("Mode Change", kSraiMode);
    Emit("Submit This", submitted + " " + kEndOfText);
    if (depth_) Emit("Assignment", kDepth, "^Sub{" + Fact(kDepth) + "|1}");
    Buffer& b = Top();
    if (b.discard) return;
    Append(b, Fact(kReply));
    // Another <srai> would change it: keep it now.
    if (depth_) Flush(b);
  }

  void Set(const Node& n) {
    std::vector<Node> content;
    for (const auto& c : n.children)
      if (c.text || c.name != "name") content.push_back(c);
    const std::string name = PredicateName(n, "set");
    const std::string value = ValueOf(content);
    BeforeSideEffect();
    Emit("Assignment", name, value);
    Append(Top(), Fact(name));
  }

  // Makes sure the buffer's fact holds everything so far, so that branches
  // can each add to it.
  void Start(Buffer& b) {
    if (b.discard) return;
    if (!b.started) {
      Emit("Assignment", b.fact, b.pending);
      b.started = true;
      b.pending.clear();
    } else {
      Flush(b);
    }
  }

  struct Test {
    std::string fact;   // the predicate's value, as a tag
    std::string value;  // what it is compared with
    bool dynamicValue = false;
    bool any = false;   // value="*": the predicate has some value
  };

  // Emits the test of one <li> (or of a one-branch condition): jumps to
  // `target` when it holds. `normalised` is the predicate whose words the
  // collection aiml-cond holds already, if any.
  void EmitTest(const Node& at, const Test& t, const std::string& target, std::string& normalised) {
    if (t.any) {
      // A jump whose label is the label followed by the value finds its
      // label only when the value is empty.
      const std::string past = target + "?";
      Goto(past + t.fact);
      Goto(target);
      Label(past);
      return;
    }
    if (t.dynamicValue) {
      Emit("Clear Collection", kCondWords);
      Emit("Words To Collection", kCondWords, "", t.fact);
      normalised = t.fact;
      Emit("Clear Collection", kCondWords2);
      Emit("Words To Collection", kCondWords2, "", t.value);
      Emit("BranchIf", target, "^Members{" + std::string(kCondWords) + "}=^Members{" + kCondWords2 + "}");
      return;
    }
    std::string v = Trim(t.value);
    MakeFieldSafe(v);
    if (v.find_first_of("*_#^") != std::string::npos)
      Skip(at, "a condition value with wildcards (\"" + v + "\") cannot be converted");
    const auto words = SplitWords(v);
    if (words.empty()) {
      if (v.find_first_of("<>=") != std::string::npos) Skip(at, "a condition value holding < > or = cannot be compared");
      Emit("BranchIf", target, t.fact + "=" + v);
      return;
    }
    // AIML compares without regard to case or punctuation: both sides are
    // reduced to their words.
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) joined += (i ? ", " : "") + words[i];
    if (normalised != t.fact) {
      Emit("Clear Collection", kCondWords);
      Emit("Words To Collection", kCondWords, "", t.fact);
      normalised = t.fact;
    }
    Emit("BranchIf", target, "^Members{" + std::string(kCondWords) + "}=" + joined);
  }

  // The predicate and value of a condition or an <li>: attributes, or
  // <name>/<var>/<value> children.
  bool ReadTest(const Node& n, const Test* outer, Test& t, std::vector<Node>& content) {
    bool hasName = false, hasValue = false;
    if (outer) {
      t = *outer;
      hasName = true;
    }
    if (const std::string* v = n.Attribute("var")) {
      t.fact = Fact(Keyed("aiml-var-" + Lower(SafeName(*v))));
      hasName = true;
    }
    if (const std::string* a = n.Attribute("name")) {
      const std::string name = SafeName(*a);
      result_.predicates.insert(name);
      t.fact = Fact(name);
      hasName = true;
    }
    if (const std::string* v = n.Attribute("value")) {
      t.value = *v;
      t.dynamicValue = false;
      t.any = Trim(*v) == "*";
      hasValue = true;
    }
    for (const auto& c : n.children) {
      if (!c.text && c.name == "name") {
        std::string name;
        if (!InlineAll(c.children, name)) Skip(c, "a computed predicate name with side effects");
        name = Trim(name);
        if (!Dynamic(name)) result_.predicates.insert(name);
        t.fact = Fact(name);
        hasName = true;
      } else if (!c.text && c.name == "var") {
        std::string name;
        if (!InlineAll(c.children, name)) Skip(c, "a computed variable name with side effects");
        t.fact = Fact(Keyed("aiml-var-" + Lower(Trim(name))));
        hasName = true;
      } else if (!c.text && c.name == "value") {
        std::string v;
        if (!InlineAll(c.children, v)) Skip(c, "a computed condition value with side effects");
        t.value = v;
        t.dynamicValue = Dynamic(v);
        t.any = !t.dynamicValue && Trim(v) == "*";
        hasValue = true;
      } else {
        content.push_back(c);
      }
    }
    if (hasValue && !hasName) Skip(n, "a condition value without a predicate");
    return hasValue;
  }

  void Condition(const Node& n) {
    BeforeSideEffect();
    Buffer& b = Top();
    Start(b);
    const int k = ++labels_;
    const std::string base = "[c" + std::to_string(k);
    Test outer;
    std::vector<Node> direct;
    const bool single = ReadTest(n, nullptr, outer, direct);
    const bool hasOuterName = !outer.fact.empty();
    struct Branch {
      std::vector<Node> content;
      bool loop = false;
    };
    std::vector<Branch> branches;
    std::vector<Test> tests;
    std::optional<Branch> fallback;
    auto stripLoop = [](std::vector<Node>& content) {
      bool loop = false;
      content.erase(std::remove_if(content.begin(), content.end(),
                                   [&](const Node& c) {
                                     if (!c.text && c.name == "loop") loop = true;
                                     return !c.text && c.name == "loop";
                                   }),
                    content.end());
      return loop;
    };
    if (single) {
      // <condition name="x" value="v">...</condition>
      Branch br{direct, false};
      br.loop = stripLoop(br.content);
      tests.push_back(outer);
      branches.push_back(std::move(br));
    } else {
      for (const auto& c : direct) {
        if (c.text) {
          if (!Trim(c.value).empty()) Approximate(c, "text between the <li> of a <condition> is left out");
          continue;
        }
        if (c.name != "li") Skip(c, "<" + c.name + "> directly inside <condition>");
        Test t;
        Branch br;
        const bool valued = ReadTest(c, hasOuterName ? &outer : nullptr, t, br.content);
        br.loop = stripLoop(br.content);
        if (!valued) {
          if (fallback) Approximate(c, "a second <li> without a value is never reached");
          else fallback = std::move(br);
          continue;
        }
        if (t.fact.empty()) Skip(c, "an <li> with a value but no predicate");
        tests.push_back(t);
        branches.push_back(std::move(br));
      }
    }
    bool loops = fallback && fallback->loop;
    for (const auto& br : branches) loops = loops || br.loop;
    if (loops) Label(base + "]");
    std::string normalised;
    for (std::size_t i = 0; i < tests.size(); ++i)
      EmitTest(n, tests[i], base + "." + std::to_string(i + 1) + "]", normalised);
    const std::string end = base + ".end]";
    auto body = [&](const Branch& br, bool last) {
      CompileNodes(br.content);
      Flush(Top());
      if (br.loop) Goto(base + "]");
      else if (!last) Goto(end);
    };
    if (fallback) body(*fallback, branches.empty());
    else if (!branches.empty()) Goto(end);
    for (std::size_t i = 0; i < branches.size(); ++i) {
      Label(base + "." + std::to_string(i + 1) + "]");
      body(branches[i], i + 1 == branches.size());
    }
    Label(end);
  }

  void Random(const Node& n) {
    std::vector<const Node*> items;
    for (const auto& c : n.children) {
      if (c.text) continue;
      if (c.name != "li") Skip(c, "<" + c.name + "> directly inside <random>");
      items.push_back(&c);
    }
    if (items.empty()) return;
    if (items.size() == 1) return CompileNodes(items[0]->children);
    BeforeSideEffect();
    Start(Top());
    const int k = ++labels_;
    const std::string base = "[r" + std::to_string(k);
    const std::string dice = kDicePrefix + std::to_string(items.size());
    result_.diceSizes.insert(static_cast<int>(items.size()));
    Emit("Assignment", kDice, "^MemberX{" + dice + "}");
    for (std::size_t i = 1; i < items.size(); ++i)
      Emit("BranchIf", base + "." + std::to_string(i + 1) + "]", Fact(kDice) + "=" + std::to_string(i + 1));
    const std::string end = base + ".end]";
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0) Label(base + "." + std::to_string(i + 1) + "]");
      CompileNodes(items[i]->children);
      Flush(Top());
      if (i + 1 < items.size()) Goto(end);
    }
    Label(end);
  }

  void Learn(const Node& n) {
    if (!env_.learn) Skip(n, "<learn> cannot be converted here");
    std::vector<const Node*> categories;
    for (const auto& c : n.children) {
      if (c.text) {
        if (!Trim(c.value).empty()) Skip(n, "<learn> of a file cannot be converted; only categories inside it");
        continue;
      }
      if (c.name != "category") Skip(c, "<" + c.name + "> inside <learn>");
      categories.push_back(&c);
    }
    if (categories.empty()) Skip(n, "<learn> without a category");
    if (n.name == "learnf") Approximate(n, "<learnf> learns into the brain; it is written to a file when the brain is saved");
    BeforeSideEffect();
    for (const Node* c : categories) {
      // What <eval> says is known when the category is learnt, in this
      // category's context.
      const Node evaluated = Evaluate(*c);
      std::vector<Approximation> notes;
      LearnOutput learnt = env_.learn(evaluated, notes);
      for (auto& a : notes) result_.approximations.push_back(std::move(a));
      for (auto& t : learnt.before) tasks_.push_back(std::move(t));
      Emit("Clear Collection", kLearnLines);
      for (auto& l : learnt.lines) Emit("Add To Collection", kLearnLines, std::move(l));
      Emit("Make Code", "", "", kLearnLines);
    }
    result_.learns = true;
  }
  Node Evaluate(const Node& n) {
    if (n.text) return n;
    if (n.name == "eval") {
      std::string value;
      if (!InlineAll(n.children, value)) Skip(n, "<eval> of text with side effects");
      Node e = Node::Element(kEvaluated, {}, n.line);
      e.value = value;
      return e;
    }
    if (n.name == "learn" || n.name == "learnf") Skip(n, "<learn> inside a category that is learnt");
    Node copy = n;
    for (auto& c : copy.children) c = Evaluate(c);
    return copy;
  }

  void Finish() {
    Buffer& b = buffers_.front();
    // The answer does not end with blanks either.
    while (!b.pending.empty() && b.pending.back() == ' ') b.pending.pop_back();
    if (!depth_) {
      if (!b.started && b.pending == Fact(kReply)) return;  // a <srai> left its answer there
      Flush(b);
      return;
    }
    Emit("Assignment", kReply, b.Value());
  }

  const TemplateEnv& env_;
  CompiledTemplate& result_;
  bool depth_ = false;
  int line_ = 0;
  std::vector<TaskLine> tasks_;
  std::set<int> stars_[3];
  std::vector<Buffer> buffers_;
  int labels_ = 0, temps_ = 0;
};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '\''; }

}  // namespace

std::string CleanText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      blank = true;
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    if (c == '{') c = '(';
    if (c == '}') c = ')';
    out += c;
  }
  if (blank) out += ' ';
  return out;
}

std::string StarFact(Section section, int n, bool depthKeyed) {
  std::string name = section == Section::Input ? "aiml-star" : section == Section::That ? "aiml-thatstar" : "aiml-topicstar";
  if (n > 1) name += std::to_string(n);
  if (depthKeyed) name += std::string("-^Fact{") + names::kDepth + "}";
  return name;
}

std::string PersonSwap(const std::string& text, int kind) {
  // Two-word forms first, then single words; matched without regard to case.
  static const std::vector<std::pair<std::string, std::string>> person = {
      {"i am", "you are"}, {"you are", "I am"}, {"i was", "you were"}, {"you were", "I was"}, {"i'm", "you're"},
      {"you're", "I'm"},   {"i", "you"},        {"me", "you"},         {"my", "your"},        {"mine", "yours"},
      {"myself", "yourself"}, {"you", "me"},    {"your", "my"},        {"yours", "mine"},     {"yourself", "myself"}};
  static const std::vector<std::pair<std::string, std::string>> person2 = {
      {"i am", "he or she is"}, {"i was", "he or she was"}, {"i", "he or she"}, {"me", "him or her"},
      {"my", "his or her"},     {"mine", "his or hers"},   {"myself", "himself or herself"},
      {"he", "I"},              {"she", "I"},             {"him", "me"},      {"his", "my"},
      {"hers", "mine"},         {"himself", "myself"},    {"herself", "myself"}};
  static const std::vector<std::pair<std::string, std::string>> gender = {
      {"he", "she"},   {"she", "he"},     {"him", "her"},          {"her", "him"},
      {"his", "her"},  {"hers", "his"},   {"himself", "herself"}, {"herself", "himself"}};
  const auto& table = kind == 1 ? person : kind == 2 ? person2 : gender;
  // Words and what lies between them.
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t j = i;
    const bool word = IsWordChar(text[i]);
    while (j < text.size() && IsWordChar(text[j]) == word) ++j;
    parts.push_back(text.substr(i, j - i));
    i = j;
  }
  std::string out;
  for (std::size_t i = 0; i < parts.size();) {
    if (!IsWordChar(parts[i][0])) {
      out += parts[i++];
      continue;
    }
    bool done = false;
    for (const auto& [from, to] : table) {
      const bool two = from.find(' ') != std::string::npos;
      std::string candidate = Lower(parts[i]);
      if (two) {
        if (i + 2 >= parts.size() || parts[i + 1] != " ") continue;
        candidate += " " + Lower(parts[i + 2]);
      }
      if (candidate != from) continue;
      // A capital stays where it began a word other than "I" (which is
      // always written so, wherever it stands).
      std::string r = to;
      if (std::isupper(static_cast<unsigned char>(parts[i][0])) && Lower(parts[i]) != "i" && !r.starts_with("I"))
        r[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(r[0])));
      out += r;
      i += two ? 3 : 1;
      done = true;
      break;
    }
    if (!done) out += parts[i++];
  }
  return out;
}

std::string Formal(const std::string& text) {
  std::string out = text;
  bool start = true;
  for (char& c : out) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
      c = static_cast<char>(start ? std::toupper(static_cast<unsigned char>(c)) : std::tolower(static_cast<unsigned char>(c)));
      start = false;
    } else {
      start = c == ' ';
    }
  }
  return out;
}

std::string SentenceCase(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (std::isalpha(static_cast<unsigned char>(c))) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      break;
    }
  return out;
}

CompiledTemplate CompileTemplate(const Node& templ, const TemplateEnv& env) {
  CompiledTemplate result;
  Compiler compiler(env, result);
  // A template that is one <random> is one response per <li>.
  const Node* only = nullptr;
  int elements = 0;
  bool text = false;
  for (const auto& c : templ.children) {
    if (c.text) {
      text = text || !Trim(c.value).empty();
      continue;
    }
    ++elements;
    only = &c;
  }
  if (!text && elements == 1 && only->name == "random") {
    std::vector<const Node*> items;
    for (const auto& c : only->children) {
      if (c.text) continue;
      if (c.name != "li") throw SkipCategory{c.name, c.line, "<" + c.name + "> directly inside <random>"};
      items.push_back(&c);
    }
    for (const Node* li : items) result.responses.push_back(compiler.Compile(li->children, li->line));
    if (!result.responses.empty()) return result;
  }
  result.responses.push_back(compiler.Compile(templ.children, templ.line));
  return result;
}

}  // namespace varnex::aiml
