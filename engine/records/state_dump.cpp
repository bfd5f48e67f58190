// The state dump: every text is written with its length, so that two
// different states can never print alike.
#include "engine/records/state_dump.h"

#include <sstream>

namespace varnex {

namespace {

// Texts are written with their length, so that no text can be mistaken for
// the separators around it.
void Put(std::ostringstream& out, std::string_view text) { out << text.size() << ':' << text << ' '; }

template <class List>
void PutAll(std::ostringstream& out, const char* label, const List& list) {
  out << label << ' ' << list.size() << ' ';
  for (const auto& s : list) Put(out, s);
  out << '\n';
}

// A pattern's place in the brain, for the lists that point at patterns.
std::string Place(const BrainClass& b, const PatternClass* p) {
  for (std::size_t k = 0; k < b.Knowledge.size(); ++k)
    for (std::size_t i = 0; i < b.Knowledge[k]->Patterns.size(); ++i)
      if (b.Knowledge[k]->Patterns[i].get() == p) return std::to_string(k) + "." + std::to_string(i);
  return "?";
}

}  // namespace

std::string DumpState(const BrainClass& b) {
  std::ostringstream out;
  out.precision(17);
  out << "registers " << b.CurrentMode << ' ' << b.CurrentState << ' ' << b.CurrentProc << ' ' << b.LastInput << ' ';
  Put(out, b.MyName);
  out << '\n';
  out << "last ";
  for (const std::string* s : {&b.LastPatternName, &b.LastStepPatternName, &b.LastFragmentName, &b.LastResponseName,
                               &b.LastTaskName, &b.LastKnowledgeName})
    Put(out, *s);
  out << '\n';
  PutAll(out, "inputs", b.InputHistory);
  PutAll(out, "outputs", b.OutputHistory);
  PutAll(out, "kept-answers", b.Outputs);
  PutAll(out, "kept-errors", b.Errors);
  PutAll(out, "fact-names", b.FactNames);
  PutAll(out, "fact-values", b.FactValues);
  PutAll(out, "states", b.StateNames);
  PutAll(out, "modes", b.KnowledgeNames);
  PutAll(out, "procedures", b.ProcNames);
  PutAll(out, "call-names", b.ProcStackNames);
  PutAll(out, "call-steps", b.ProcStackSteps);
  for (const auto& p : b.Procs) {
    out << "procedure ";
    Put(out, p->TheName.view());
    Put(out, p->CurrentStep.view());
    out << '\n';
  }
  for (const auto& c : b.Collections) {
    const DataCollectionClass& d = *c.Collection;
    out << "collection " << d.Sorted() << ' ' << d.MemberCacheTime << ' ' << d.MemberSubCacheTime << ' ';
    Put(out, c.Name);
    Put(out, d.MemberCache);
    Put(out, d.MemberSubCache);
    out << '\n';
    PutAll(out, " members", d.Members);
  }
  for (std::size_t k = 0; k < b.Knowledge.size(); ++k) {
    const KnowledgeClass& mode = *b.Knowledge[k];
    out << "mode " << k << ' ' << mode.HasVolition << " hits";
    for (const auto& p : mode.Patterns) out << ' ' << p->HitCount << '/' << p->LastVolition;
    out << '\n';
  }
  out << "named";
  for (const auto& [name, record] : b.NamedObjects.Entries()) {
    out << ' ';
    Put(out, name);
  }
  out << "\ndo-before";
  for (const PatternClass* p : b.DoBefore) out << ' ' << Place(b, p);
  out << "\ndo-after";
  for (const PatternClass* p : b.DoAfter) out << ' ' << Place(b, p);
  out << '\n';
  return out.str();
}

}  // namespace varnex
