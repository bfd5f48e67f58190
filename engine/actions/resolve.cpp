// A response runs: its trace line, its output text, its type's action with
// the action's failure contained (so that the output and the Do-After
// clauses still come), and then the text goes out.
#include "engine/actions/resolve.h"

#include "engine/actions/action_context.h"
#include "engine/base/errors.h"
#include "engine/records/navigation.h"
#include "engine/records/type_names.h"
#include "engine/template/expand_tags.h"

namespace varnex {

std::string ActionContext::Expand(std::string_view field) const {
  return ExpandTags(brain, field, input, stepPattern, pattern);
}

namespace {

// Types whose output text is empty whatever their OutText holds.
bool OutputsNothing(ResponseType type) {
  switch (type) {
    case ResponseType::SelfModify:
    case ResponseType::ParseCollection:
    case ResponseType::WordsToCollection:
    case ResponseType::CreateAutoPattern:
    case ResponseType::AddResponse:
    case ResponseType::AddFragment:
    case ResponseType::CallDLL: return true;
    default: return false;
  }
}

}  // namespace

void PerformContained(ActionContext& ctx, ResponseType type, const ActionFields& fields, bool asTask, std::string& text) {
  try {
    PerformAction(ctx, type, fields, asTask, text);
  } catch (const EngineError& e) {
    ctx.brain.ReportError(e.what());
  }
}

void TraceFields(const ActionContext& ctx, std::string_view kind, ResponseType type, const Text& name,
                 const ActionFields& fields) {
  struct Mute {
    BrainClass& b;
    explicit Mute(BrainClass& brain) : b(brain) { ++b.ErrorsMuted; }
    ~Mute() { --b.ErrorsMuted; }
  } mute(ctx.brain);
  std::string line = "[";
  line.append(kind).append(": ").append(ResponseTypeName(type)).append("]: ").append(name.view()).append(" = {");
  line += ctx.Expand(fields.OutText) + "},{";
  line += ctx.Expand(fields.TheName) + "},{";
  line += ctx.Expand(fields.TheValue) + "}";
  ctx.brain.Trace(line);
}

void ResolveToString(BrainClass& brain, ResponseClass& r, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  ActionContext ctx{brain, r, PatternOfResponse(&r), StepPatternOfResponse(&r), input};
  const ActionFields fields{r.OutText, r.TheName, r.TheValue};
  if (brain.TraceOn) TraceFields(ctx, "Resp", r.ResponseType, r.ObjectName, fields);
  std::string text = OutputsNothing(r.ResponseType) ? std::string() : ctx.Expand(r.OutText);
  PerformContained(ctx, r.ResponseType, fields, false, text);
  brain.Output(text);
  brain.LastResponseName = r.ObjectName;
}

}  // namespace varnex
