// varnex explain, and the text both it and the chat's commands print: each
// clause with what every fragment and the order rule added, then why the
// winner wins (or why the clause asked about does not).
#include "console/explain.h"

#include <cstdio>

#include "console/commands.h"

namespace varnex {

namespace {

std::string Signed(int32_t n) {
  std::string s = n > 0 ? "+" : "";
  s += std::to_string(n);
  return s;
}

std::string Braced(const std::string& text) {
  std::string s = "{";
  s += text;
  s += '}';
  return s;
}

// Pads a text on the right to `width` bytes, so the columns line up.
std::string Column(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

void DescribeClause(std::string& out, const Brain::ClausePart& c) {
  out += "clause " + std::to_string(c.number);
  if (!c.name.empty()) out += " (" + c.name + ")";
  out += ": " + std::to_string(c.total);
  if (!c.response.empty()) out += "  -> " + c.response;
  out += "\n";
  for (const Brain::FragmentPart& f : c.fragments) {
    std::string how = f.found ? "found" : "absent";
    if (f.found && f.position > 0) how += " at " + std::to_string(f.position);
    out += "    " + Column(f.relation, 12) + Column(Braced(f.text), 24) + " " + Column(how, 14) + " " +
           Signed(f.score) + "\n";
  }
  out += "    " + Column("order", 12) + Column(c.inOrder ? "in order" : "out of order", 24) + " " + Column("", 14) +
         " " + Signed(c.orderScore) + "\n";
}

}  // namespace

std::string DescribeExplanation(const Brain::Explanation& e, const std::string& input) {
  std::string out;
  if (!e.error.empty()) return "Scoring failed: " + e.error + "\n";
  if (e.mode.empty()) return e.why + "\n";
  out += "Input \"" + input + "\", mode " + e.mode + " (" + std::to_string(e.clauses) + " clauses)\n";
  if (e.asked) {
    DescribeClause(out, *e.asked);
  } else {
    for (const Brain::ClausePart& c : e.best) DescribeClause(out, c);
  }
  out += e.why + "\n";
  return out;
}

int RunExplain(const ConsoleOptions& options) {
  if (options.seed) FixRandomSeed(*options.seed);
  if (!BrainFileOpens(options.brain)) return 1;
  Brain brain;
  brain.On().readerMessageAt = [](const std::string& file, int line, const std::string& text) {
    std::fprintf(stderr, "%s\n", ReaderMessagePlace(file, line, text).c_str());
  };
  brain.SetFastPath(!options.reference);
  // The clauses are explained as a conversation's first input would meet
  // them: after the brain's Initialize clauses (whose answers are not shown).
  RunResult r = brain.ReadFile(options.brain);
  if (r.Done()) r = brain.Start();
  if (!r.Done()) std::fprintf(stderr, "Error: %s\n", r.message.c_str());
  const Brain::Explanation e = brain.Explain(options.input, options.count, options.clause);
  const std::string text = DescribeExplanation(e, options.input);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return e.error.empty() && (options.clause.empty() || e.asked) ? 0 : 1;
}

}  // namespace varnex
