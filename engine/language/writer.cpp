// Writing the brain as Language text in the one layout the reader reads
// back to the same brain: states, modes with their clauses, procedures,
// facts, then collections, each record followed by its name.
#include "engine/language/writer.h"

#include "engine/records/type_names.h"
#include "platform/text_file.h"

namespace varnex {
namespace {

class Writer {
 public:
  Writer(BrainClass& brain, std::vector<std::string>& out) : brain_(brain), out_(out) {}
  void Brain();

 private:
  void Line(std::string s) { out_.push_back(std::move(s)); }
  void Progress(const std::string& text) {
    if (brain_.LanguageProgress) brain_.LanguageProgress(text);
  }
  void NameLine(const std::string& prefix, const ObjectClass& r) {
    if (!r.ObjectName.empty()) Line(prefix + "Name-Object {" + r.ObjectName + "}");
  }
  void ModeBody(KnowledgeClass& k);
  void ClauseBody(PatternClass& p);
  void ProcedureBody(ProcClass& p);
  void Fragment(const std::string& P, const WordFragmentClass& f);
  void Response(const std::string& P, const ResponseClass& r);

  BrainClass& brain_;
  std::vector<std::string>& out_;
};

void Writer::Brain() {
  Line("");
  Line("Varnex 9.0 Varnex-Language File");
  Line("Written by the Varnex conversational engine");
  Line("All Rights Reserved");
  Line("");
  Line("-------States--------");
  for (std::size_t i = 1; i < brain_.StateNames.size(); ++i) Line("State {" + brain_.StateNames[i] + "}");
  Line("-------Modes---------");
  for (std::size_t i = 0; i < brain_.Knowledge.size(); ++i) {
    if (i > 0) Line("Mode {" + brain_.Knowledge[i]->TheName + "}");
    ModeBody(*brain_.Knowledge[i]);
  }
  Line("-----Procedures------");
  for (std::size_t i = 0; i < brain_.Procs.size(); ++i) {
    if (i % 10 == 0) Progress("Procs:" + std::to_string(i));
    ProcedureBody(*brain_.Procs[i]);
    Line("");
  }
  Line("-------Facts---------");
  for (std::size_t i = 0; i < brain_.FactNames.size(); ++i)
    Line("Fact {" + brain_.FactNames[i] + "} = {" + brain_.FactValues[i] + "}");
  Line("-----Collections-----");
  for (std::size_t i = 0; i < brain_.Collections.size(); ++i) {
    const DataCollectionClass& c = *brain_.Collections[i].Collection;
    if (i % 10 == 0) Progress(c.TheName + ":" + std::to_string(i));
    Line("Start-Collection {" + c.TheName + (c.Sorted() ? "}" : "}, {UNSORTED}"));
    for (const auto& m : c.Members) Line(m);
    Line("End-Collection");
    Line("");
  }
  Line("");
}

void Writer::ModeBody(KnowledgeClass& k) {
  NameLine("", k);
  for (std::size_t i = 0; i < k.Patterns.size(); ++i) {
    if (i % 10 == 0) Progress(k.ObjectName + ":" + std::to_string(i));
    PatternClass& p = *k.Patterns[i];
    Line("For-Mode " + std::to_string(p.OrderBonus) + "," + std::to_string(p.OrderPenalty));
    ClauseBody(p);
    Line("");
  }
}

void Writer::ClauseBody(PatternClass& p) {
  NameLine("", p);
  for (const auto& f : p.Fragments) Fragment("", *f);
  for (const auto& r : p.Responses) Response("", *r);
  for (const auto& t : p.Thresholds) {
    Line("  Threshold " + std::to_string(t->ThreshFrom) + "," + std::to_string(t->ThreshTo));
    NameLine("  ", *t);
    for (const auto& r : t->Responses) Response("  ", *r);
  }
  for (const auto& s : p.States) {
    Line("  For-State {" + s->State + "}");
    NameLine("  ", *s);
    for (const auto& r : s->Responses) Response("  ", *r);
  }
}

void Writer::ProcedureBody(ProcClass& p) {
  Line("Procedure {" + p.TheName + "}");
  Line("");
  NameLine("", p);
  for (const auto& s : p.Steps) {
    Line("Step {" + s->TheName + "},{" + s->ThePrompt + "}");
    NameLine("", *s);
    for (const auto& sp : s->StepPatterns) {
      Line("  For-Step");
      NameLine("  ", *sp);
      for (const auto& f : sp->Fragments) Fragment("  ", *f);
      for (const auto& r : sp->Responses) Response("  ", *r);
      Line("");
    }
  }
}

void Writer::Fragment(const std::string& P, const WordFragmentClass& f) {
  Line(P + "  Fragment " + std::string(PatternTypeName(f.Relation)) + "," + std::to_string(f.Bonus) + "," +
       std::to_string(f.Penalty) + ", {" + f.WordFrag + "}, {" + f.TheName + "}, {" + f.TheValue + "}");
  NameLine(P + "  ", f);
}

void Writer::Response(const std::string& P, const ResponseClass& r) {
  Line(P + "  Response {" + r.OutText + "}," + std::string(ResponseTypeName(r.ResponseType)) + ",{" + r.TheName +
       "},{" + r.TheValue + "}");
  NameLine(P + "  ", r);
  for (const auto& t : r.Tasks) {
    Line(P + "    Task {" + t->OutText + "}," + std::string(ResponseTypeName(t->ResponseType)) + ",{" + t->TheName +
         "},{" + t->TheValue + "}");
    NameLine(P + "    ", *t);
  }
}

}  // namespace

void SaveLanguageText(BrainClass& brain, std::vector<std::string>& lines) { Writer(brain, lines).Brain(); }

std::string SaveLanguageFile(BrainClass& brain, const std::string& path) {
  std::vector<std::string> lines;
  SaveLanguageText(brain, lines);
  return WriteLinesAtomically(path, lines);
}

}  // namespace varnex
