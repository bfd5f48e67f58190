// Patterns: reading them, expanding their sets, and laying their paths out
// as phrases of the normalised input.
#include "importer/aiml_pattern.h"

#include <set>

#include "importer/aiml_names.h"

namespace varnex::aiml {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The text of an element's content, elements included as their text.
std::string ContentText(const Node& n) {
  if (n.text) return n.value;
  std::string s;
  for (const auto& c : n.children) s += ContentText(c);
  return s;
}

Element WordElement(std::string word, Class cls = Class::Word) {
  Element e;
  e.cls = cls;
  e.words.push_back(std::move(word));
  return e;
}

Element Wildcard(Class cls) {
  Element e;
  e.cls = cls;
  e.bindsStar = true;
  return e;
}

const char* WildcardText(Class c) {
  switch (c) {
    case Class::Star: return "*";
    case Class::Under: return "_";
    case Class::Caret: return "^";
    case Class::Hash: return "#";
    default: return "?";
  }
}

// One position of the flat path: a marker, a word, or a wildcard.
struct Item {
  bool wildcard = false;
  bool marker = false;
  bool oneOrMore = false;  // a wildcard that must hold at least one word
  Section section = Section::Input;
  std::string text;
};

std::vector<Item> Flatten(const Path& p) {
  std::vector<Item> items;
  auto marker = [&](const char* m, Section s) {
    Item i;
    i.marker = true;
    i.text = m;
    i.section = s;
    items.push_back(i);
  };
  auto section = [&](const std::vector<Element>& elements, Section s) {
    for (const auto& e : elements) {
      if (e.Wildcard()) {
        Item i;
        i.wildcard = true;
        i.oneOrMore = e.cls == Class::Star || e.cls == Class::Under;
        i.section = s;
        items.push_back(i);
      } else {
        for (const auto& w : e.words) {
          Item i;
          i.text = w;
          i.section = s;
          items.push_back(i);
        }
      }
    }
  };
  marker(kInputMarker, Section::Input);
  section(p.input, Section::Input);
  marker(kThatMarker, Section::That);
  section(p.that, Section::That);
  marker(kTopicMarker, Section::Topic);
  section(p.topic, Section::Topic);
  marker(kEndMarker, Section::Topic);
  return items;
}

// Words are joined as the front joins the normalised words; markers stand
// apart by one blank.
std::string Join(const std::vector<const Item*>& run) {
  std::string s;
  for (std::size_t i = 0; i < run.size(); ++i) {
    if (i > 0) s += (!run[i - 1]->marker && !run[i]->marker) ? ", " : " ";
    s += run[i]->text;
  }
  return s;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string w;
  for (char c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') {
      w += c;
    } else if (!w.empty()) {
      words.push_back(std::move(w));
      w.clear();
    }
  }
  if (!w.empty()) words.push_back(std::move(w));
  return words;
}

bool ParseSectionText(const std::string& text, std::vector<RawElement>& out, std::string& why) {
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::size_t j = i;
    while (j < text.size() && !IsSpace(text[j])) ++j;
    if (j == i) break;
    const std::string token = text.substr(i, j - i);
    i = j;
    if (token == "*") {
      out.push_back({Wildcard(Class::Star), ""});
    } else if (token == "_") {
      out.push_back({Wildcard(Class::Under), ""});
    } else if (token == "^") {
      out.push_back({Wildcard(Class::Caret), ""});
    } else if (token == "#") {
      out.push_back({Wildcard(Class::Hash), ""});
    } else {
      const bool dollar = token[0] == '$';
      const auto words = SplitWords(dollar ? token.substr(1) : token);
      if (words.empty()) {
        why = "the word \"" + token +
              "\" has no letters A to Z: inputs are reduced to those letters, so it could never match";
        return false;
      }
      for (const auto& w : words) out.push_back({WordElement(w, dollar ? Class::Dollar : Class::Word), ""});
    }
  }
  return true;
}

bool ParseSection(const Node& content, const Resources& resources, std::vector<RawElement>& out, std::string& element,
                  std::string& why) {
  for (const auto& c : content.children) {
    if (c.text) {
      if (!ParseSectionText(c.value, out, why)) {
        element = "pattern";
        return false;
      }
      continue;
    }
    if (c.name == "bot" || c.name == "name") {
      const std::string* attr = c.Attribute("name");
      const std::string name = c.name == "name" ? "name" : Lower(Trimmed(attr ? *attr : ContentText(c)));
      auto it = resources.bot.find(name);
      if (it == resources.bot.end() || SplitWords(it->second).empty()) {
        element = c.name;
        why = "the bot property \"" + name + "\" in a pattern has no value; give it with --bot " + name + "=VALUE";
        return false;
      }
      for (const auto& w : SplitWords(it->second)) out.push_back({WordElement(w), ""});
    } else if (c.name == "aiml-evaluated") {
      RawElement r;
      r.element.words.push_back(std::string(1, kLearnWord));
      r.element.learnExpression = c.value;
      out.push_back(std::move(r));
    } else if (c.name == "set") {
      const std::string name = UpperAscii(Trimmed(ContentText(c)));
      if (resources.sets.find(name) == resources.sets.end()) {
        element = "set";
        why = "no set file for the set \"" + Trimmed(ContentText(c)) + "\" (give NAME.set files to import)";
        return false;
      }
      RawElement r;
      r.element.cls = Class::Set;
      r.element.bindsStar = true;
      r.setName = name;
      out.push_back(std::move(r));
    } else {
      element = c.name;
      why = "<" + c.name + "> in a pattern cannot be converted";
      return false;
    }
  }
  return true;
}

std::string Path::Key() const {
  std::string k;
  auto section = [&](const std::vector<Element>& elements) {
    for (const auto& e : elements) {
      k += ' ';
      if (e.Wildcard()) {
        k += WildcardText(e.cls);
        continue;
      }
      if (e.cls == Class::Dollar) k += '$';
      if (e.cls == Class::Set) k += '[';
      for (std::size_t i = 0; i < e.words.size(); ++i) k += (i ? " " : "") + e.words[i];
      if (e.cls == Class::Set) k += ']';
    }
  };
  k += kInputMarker;
  section(input);
  k += std::string(" ") + kThatMarker;
  section(that);
  k += std::string(" ") + kTopicMarker;
  section(topic);
  return k;
}

std::string Path::Classes() const {
  std::string c;
  const char word = static_cast<char>(Class::Word);
  auto section = [&](const std::vector<Element>& elements) {
    for (const auto& e : elements) {
      if (e.Wildcard() || e.cls == Class::Set)
        c.push_back(static_cast<char>(e.cls));
      else
        for (std::size_t i = 0; i < e.words.size(); ++i) c.push_back(static_cast<char>(e.cls));
    }
  };
  c.push_back(word);
  section(input);
  c.push_back(word);
  section(that);
  c.push_back(word);
  section(topic);
  c.push_back(word);
  return c;
}

int Path::Stars(Section s) const {
  int n = 0;
  for (const auto& e : Of(s)) n += e.bindsStar ? 1 : 0;
  return n;
}

bool ExpandSets(const std::vector<RawElement>& input, const std::vector<RawElement>& that,
                const std::vector<RawElement>& topic, const Resources& resources, std::size_t limit,
                std::vector<Path>& out, std::string& why) {
  // The choices of each set element: its members' words, each once.
  struct Choice {
    std::vector<std::string> words;
    std::string text;
  };
  std::vector<std::vector<Choice>> choices;
  std::size_t total = 1;
  for (const auto* section : {&input, &that, &topic}) {
    for (const auto& r : *section) {
      if (r.setName.empty()) continue;
      std::vector<Choice> members;
      std::set<std::vector<std::string>> seen;
      for (const auto& m : resources.sets.at(r.setName)) {
        auto words = SplitWords(m);
        if (words.empty() || !seen.insert(words).second) continue;
        members.push_back({std::move(words), Trimmed(m)});
      }
      if (members.empty()) {
        why = "the set \"" + r.setName + "\" has no member with letters A to Z";
        return false;
      }
      total *= members.size();
      if (total > limit) {
        why = "its sets would make more than " + std::to_string(limit) + " clauses";
        return false;
      }
      choices.push_back(std::move(members));
    }
  }
  std::vector<std::size_t> pick(choices.size(), 0);
  for (std::size_t n = 0; n < total; ++n) {
    Path p;
    std::size_t k = 0;
    auto build = [&](const std::vector<RawElement>& raw, std::vector<Element>& into) {
      for (const auto& r : raw) {
        if (r.setName.empty()) {
          into.push_back(r.element);
          continue;
        }
        Element e = r.element;
        e.words = choices[k][pick[k]].words;
        e.boundText = choices[k][pick[k]].text;
        into.push_back(std::move(e));
        ++k;
      }
    };
    build(input, p.input);
    build(that, p.that);
    build(topic, p.topic);
    if (p.that.empty()) p.that.push_back(Wildcard(Class::Star));
    if (p.topic.empty()) p.topic.push_back(Wildcard(Class::Star));
    out.push_back(std::move(p));
    // The next combination, the last set element fastest.
    for (std::size_t i = pick.size(); i-- > 0;) {
      if (++pick[i] < choices[i].size()) break;
      pick[i] = 0;
    }
  }
  return true;
}

std::vector<FragmentLine> PathFragments(const Path& path, int32_t rank) {
  const std::vector<Item> items = Flatten(path);

  struct Run {
    std::vector<const Item*> items;
    bool LeftAnchored() const { return items.front()->marker; }
    bool RightAnchored() const { return items.back()->marker; }
    bool Floating() const { return !LeftAnchored() && !RightAnchored(); }
    bool LoneMarker() const { return items.size() == 1 && items[0]->marker; }
  };
  std::vector<Run> runs;
  Run current;
  auto close = [&] {
    if (!current.items.empty()) runs.push_back(std::move(current));
    current = Run{};
  };
  for (const auto& item : items) {
    if (item.wildcard) {
      close();
      continue;
    }
    current.items.push_back(&item);
  }
  close();

  std::vector<FragmentLine> fragments;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Run& r = runs[i];
    if (r.LoneMarker()) {
      // A marker alone is always there; it counts only as a bound for a
      // phrase beside it that is anchored nowhere, which must be found
      // before the next marker (or after the one before it).
      const bool first = r.items[0]->text == std::string(kInputMarker);
      const bool besideFloating = (i > 0 && runs[i - 1].Floating()) || (i + 1 < runs.size() && runs[i + 1].Floating());
      if (first || !besideFloating) continue;
    }
    fragments.push_back({"CUSTOM", 0, kMiss, Join(r.items), "", ""});
  }

  // A * or _ of the input must hold a word: when the phrases on both sides
  // of it stand together in the input, the clause goes to the floor.
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Item& w = items[i];
    if (!w.wildcard || !w.oneOrMore || w.section != Section::Input) continue;
    if (i == 0 || i + 1 >= items.size() || items[i - 1].wildcard || items[i + 1].wildcard) continue;
    std::vector<const Item*> left, right;
    for (std::size_t j = i; j-- > 0;) {
      if (items[j].wildcard) break;
      left.insert(left.begin(), &items[j]);
      if (items[j].marker) break;
    }
    for (std::size_t j = i + 1; j < items.size(); ++j) {
      if (items[j].wildcard) break;
      right.push_back(&items[j]);
      if (items[j].marker) break;
    }
    if (left.size() == 1 && left[0]->marker && right.size() == 1 && right[0]->marker) continue;
    std::vector<const Item*> both = left;
    both.insert(both.end(), right.begin(), right.end());
    fragments.push_back({"CUSTOM-Sub", -(kMiss + rank), 0, Join(both), "", ""});
    // The wildcard may hold a number. When the input shows nothing in its
    // place, nor in the place of any wildcard after it, up to its end, and
    // the sentence holds a number, the clause is lifted back. The text
    // looked for holds the one above, so it is never found alone.
    std::vector<const Item*> through = left;
    for (std::size_t j = i + 1; j < items.size(); ++j) {
      if (items[j].wildcard) continue;
      through.push_back(&items[j]);
      if (items[j].marker) break;
    }
    fragments.push_back({"CUSTOM-Sub", kMiss + rank, 0, Join(through) + " " + kNumberMarker, "", ""});
  }
  bool wildcard = false;
  for (const auto& e : path.input) wildcard = wildcard || e.Wildcard();
  if (!wildcard)
    fragments.push_back({"CUSTOM-Sub", -(kMiss + rank), 0, std::string(kThatMarker) + " " + kNumberMarker, "", ""});
  return fragments;
}

bool CaptureFor(const Path& path, const CaptureSpec& spec, Capture& out, std::string& why) {
  const std::vector<std::string>* specs[3] = {&spec.input, &spec.that, &spec.topic};
  int first = -1, last = -1;
  for (int s = 0; s < 3; ++s) {
    bool any = false;
    for (const auto& name : *specs[s]) any = any || !name.empty();
    if (!any) continue;
    if (first < 0) first = s;
    last = s;
  }
  out = Capture{};
  if (first < 0) return true;
  static const char* const kMarkers[4] = {kInputMarker, kThatMarker, kTopicMarker, kEndMarker};
  static const std::string kTexts[3] = {std::string("^Fact{") + names::kRaw + "}",
                                        std::string("^Fact{") + names::kThatRaw + "}",
                                        std::string("^Fact{") + names::kTopic + "}"};
  // Segments: literal text, or a variable (a fact name). Two variables in a
  // row would leave a literal of blanks between them, which never occurs;
  // the first takes the text of both.
  struct Segment {
    bool variable;
    std::string text;
  };
  std::vector<Segment> segments;
  auto literal = [&](const std::string& w) {
    if (!segments.empty() && !segments.back().variable)
      segments.back().text += " " + w;
    else
      segments.push_back({false, w});
  };
  auto variable = [&](const std::string& name) {
    if (!segments.empty() && segments.back().variable) {
      if (segments.back().text == names::kSkip) segments.back().text = name;
      return;
    }
    segments.push_back({true, name});
  };
  for (int s = first; s <= last; ++s) {
    const auto& elements = path.Of(static_cast<Section>(s));
    const auto& names = *specs[s];
    segments.push_back({false, kMarkers[s]});
    if (!elements.empty() && !elements.front().Wildcard()) variable(names::kSkip);
    int star = 0;
    for (const auto& e : elements) {
      if (e.Wildcard()) {
        ++star;
        const std::size_t k = static_cast<std::size_t>(star - 1);
        variable(k < names.size() && !names[k].empty() ? names[k] : names::kSkip);
        continue;
      }
      if (e.bindsStar) ++star;  // a set element: its text is known
      for (const auto& w : e.words) literal(w);
    }
    if (!elements.empty() && !elements.back().Wildcard()) variable(names::kSkip);
  }
  segments.push_back({false, kMarkers[last + 1]});
  // EXTRACT reads at most fifty segments.
  if (segments.size() > 50) {
    why = "its pattern has too many parts for a capture of its wildcards";
    return false;
  }
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i) out.templ += ' ';
    out.templ += segments[i].variable ? "^Extr{" + segments[i].text + "}" : segments[i].text;
  }
  for (int s = first; s <= last; ++s) out.text += std::string(s == first ? "" : " ") + kMarkers[s] + " " + kTexts[s];
  out.text += std::string(" ") + kMarkers[last + 1];
  return true;
}

}  // namespace varnex::aiml
