// Checks of the texts that go through the tag expander: tags it does not
// know, arithmetic on operands that are not numbers, BranchIf conditions
// without a comparison.
#include <algorithm>
#include <set>

#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "engine/tools/check_context.h"

namespace varnex::check {
namespace {

constexpr std::string_view kArgumentTags[] = {"FACT",    "SYSFACT", "MEMBER",  "MEMBERSUB", "MEMBERS",
                                              "MEMBERX", "MEMBERZ", "INPUT",   "LASTOUT",   "ADD",
                                              "SUB",     "MUL",     "DIV"};
constexpr std::string_view kFixedTags[] = {"STATE",    "REMAIN",   "LASTPAT",  "LASTSPAT", "LASTFRAG",
                                           "LASTRESP", "LASTTASK", "LASTKNOW", "AUTONAME"};
// The hole of an EXTRACT template; not a tag of the expander.
constexpr std::string_view kExtractHole = "EXTR";

template <std::size_t N>
bool In(const std::string_view (&table)[N], std::string_view word) {
  return std::find(std::begin(table), std::end(table), word) != std::end(table);
}

bool IsKnownTag(std::string_view word) { return In(kArgumentTags, word) || In(kFixedTags, word); }

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

// "; did you mean ^Fact{?" for a word close to a tag's.
std::string Suggestion(std::string_view word) {
  std::string_view best;
  std::size_t bestDistance = 3;
  auto consider = [&](std::string_view tag) {
    const std::size_t d = EditDistance(word, tag);
    if (d < bestDistance) {
      bestDistance = d;
      best = tag;
    }
  };
  for (std::string_view t : kArgumentTags) consider(t);
  for (std::string_view t : kFixedTags) consider(t);
  if (best.empty()) return {};
  std::string shown = Cat({"^", best.substr(0, 1)});
  for (char c : best.substr(1)) shown += static_cast<char>(c - 'A' + 'a');
  return "; did you mean " + shown + (In(kFixedTags, best) ? "{}" : "{") + "?";
}

// A tag as written, shortened for a message.
std::string Shown(std::string_view text, const TagAt& tag) {
  std::string_view s = text.substr(tag.caret, tag.closed ? tag.end - tag.caret : tag.word.size() + 2);
  if (s.size() > 40) return std::string(s.substr(0, 37)) + "...";
  return std::string(s);
}

bool IsNumber(std::string_view operand) {
  const std::string_view t = TrimView(operand);
  if (ReadDecimalNumber(t)) return true;
  // The arithmetic tags take this one value for "not a whole number".
  const auto whole = ReadWholeNumber(t);
  return whole && *whole != -987654321;
}

std::string Operand(std::string_view operand) {
  return TrimView(operand).empty() ? std::string("an empty operand") : Cat({"\"", operand, "\""});
}

// An arithmetic tag joins its operands as text when either is not a
// number: ^Add{abc|1} gives abc1. Only operands written out are judged.
void CheckArithmetic(Context& ctx, const ObjectClass* at, std::string_view text, const TagAt& tag) {
  const std::string_view arg = tag.arg;
  // The operands are split at the first "|" of the expanded argument, so a
  // bar inside a nested tag does not count; one in first place splits
  // nothing.
  const std::size_t bar = tag.bar == 0 ? std::string_view::npos : tag.bar;
  const std::string_view first = arg.substr(0, bar);
  const std::string_view second = bar == std::string_view::npos ? std::string_view() : arg.substr(bar + 1);
  // ^Div{^|} joins a caret and nothing: the one way to write a caret that
  // stays a caret (brains that write brains, such as imported ones, use it).
  if (arg == "^|") return;
  std::string message;
  if (!arg.empty() && arg[0] == '|' && !IsDynamic(arg))
    message = Shown(text, tag) + ": a \"|\" in first place splits nothing, so the tag gives its text";
  else if (bar == std::string_view::npos && !IsDynamic(arg))
    message = Shown(text, tag) + " has one operand (no \"|\"), so it computes nothing and gives its text";
  else if (!IsDynamic(first) && !IsNumber(first))
    message = Cat({Shown(text, tag), ": ", Operand(first), " is not a number, so the tag joins its operands as text"});
  else if (bar != std::string_view::npos && !IsDynamic(second) && !IsNumber(second))
    message = Cat({Shown(text, tag), ": ", Operand(second), " is not a number, so the tag joins its operands as text"});
  if (!message.empty()) ctx.Report(at, false, message, "non-numeric-argument");
}

// The tags of one text. `extractTemplate` is set for the text of an EXTRACT
// fragment, where ^Extr{NAME} marks a hole.
void CheckTags(Context& ctx, const ObjectClass* at, std::string_view text, bool extractTemplate,
               std::set<std::string>& told) {
  ForEachTag(text, [&](const TagAt& tag) {
    if (tag.word == kExtractHole && extractTemplate) return;
    if (!IsKnownTag(tag.word)) {
      if (!told.insert(tag.word).second) return;
      const std::string written = std::string(text.substr(tag.caret, tag.word.size() + 2));
      if (tag.word == kExtractHole)
        ctx.Report(at, false,
                   written + " marks a hole only in the text of an EXTRACT fragment; here it stays as written",
                   "unknown-tag");
      else
        ctx.Report(at, false, written + " is not a tag and stays in the text as written" + Suggestion(tag.word),
                   "unknown-tag");
      return;
    }
    if (!tag.closed) return;  // the line's braces do not balance; reported with the line
    if (In(kFixedTags, tag.word) && !tag.arg.empty()) {
      const std::string_view bare = text.substr(tag.caret, tag.word.size() + 1);
      ctx.Report(at, false,
                 Cat({Shown(text, tag), " is not a tag: ", bare, " takes nothing between its braces (", bare, "{})"}),
                 "unknown-tag");
      return;
    }
    if (tag.word == "SYSFACT" && !IsDynamic(tag.arg)) {
      const std::string name = UpperCase(tag.arg);
      if (name != "TIME" && name != "DATE" && name != "AGE")
        ctx.Report(at, false,
                   Shown(text, tag) + " names no system fact (TIME, DATE or AGE, without blanks) and gives \"*\"",
                   "unknown-tag");
    }
    if (tag.word == "ADD" || tag.word == "SUB" || tag.word == "MUL" || tag.word == "DIV")
      CheckArithmetic(ctx, at, text, tag);
  });
}

bool HasOperator(std::string_view text) {
  return text.find_first_of("<>=") != std::string_view::npos;
}

// A BranchIf condition is one comparison, or a text that reads TRUE or YES.
void CheckCondition(Context& ctx, const Use& use) {
  const std::string_view condition = *use.value;
  if (TrimView(condition).empty()) {
    ctx.Report(use.record, false, "BranchIf with an empty condition never jumps", "condition-without-operator");
    return;
  }
  // The text outside tags, and whether a tag's braces hold an operator.
  std::string outside;
  bool tags = false, operatorInTag = false;
  std::size_t pos = 0;
  ForEachTag(condition, [&](const TagAt& tag) {
    if (tag.caret < pos || !tag.closed || !IsKnownTag(tag.word)) return;
    tags = true;
    operatorInTag = operatorInTag || HasOperator(tag.arg);
    outside.append(condition.substr(pos, tag.caret - pos));
    pos = tag.end;
  });
  outside.append(condition.substr(std::min(pos, condition.size())));
  if (HasOperator(outside)) return;
  const std::string shown = Cat({"\"", condition, "\""});
  const std::string word = UpperCase(TrimView(outside));
  if (!tags) {
    if (word == "TRUE" || word == "YES") return;
    ctx.Report(use.record, false,
               "condition " + shown + " has no comparison (=, <>, <, >, <=, >=) and is not TRUE or YES: it never holds",
               "condition-without-operator");
  } else if (!word.empty()) {
    ctx.Report(use.record, false,
               "condition " + shown +
                   " has no comparison (=, <>, <, >, <=, >=); it holds only when it reads TRUE or YES",
               "condition-without-operator");
  } else if (operatorInTag) {
    ctx.Report(use.record, false,
               "the comparison of condition " + shown +
                   " is inside a tag's braces, so it is part of the tag's argument",
               "condition-without-operator");
  }
}

}  // namespace

void CheckTexts(Context& ctx) {
  // An EXTRACT fragment whose text reads a fact takes its holes from that
  // fact: a value assigned to a fact may then hold ^Extr{NAME} for it.
  bool templatesFromFacts = false;
  for (const WordFragmentClass* f : ctx.fragments)
    if (f->Relation == PatternType::Extract && FindText("^FACT{", f->WordFrag.view()) != 0) templatesFromFacts = true;
  for (const Use& use : ctx.uses) {
    std::set<std::string> told;
    for (const Text* t : ExpandedTexts(use)) {
      const bool holes = templatesFromFacts && use.type == ResponseType::Assignment && t == use.value;
      CheckTags(ctx, use.record, *t, holes, told);
    }
    if (use.type == ResponseType::BranchIf) CheckCondition(ctx, use);
  }
  for (const WordFragmentClass* f : ctx.fragments) {
    std::set<std::string> told;
    CheckTags(ctx, f, f->WordFrag, f->Relation == PatternType::Extract, told);
    CheckTags(ctx, f, f->TheName, false, told);
    CheckTags(ctx, f, f->TheValue, false, told);
  }
  for (const auto& proc : ctx.brain.Procs) {
    for (const auto& step : proc->Steps) {
      std::set<std::string> told;
      CheckTags(ctx, step.get(), step->ThePrompt, false, told);
    }
  }
}

}  // namespace varnex::check
