#include "engine/actions/resolve.h"

#include "engine/actions/action_context.h"
#include "engine/core/navigation.h"
#include "engine/core/type_names.h"
#include "engine/template/expand_tags.h"

namespace varnex {

std::string ActionContext::Expand(const std::string& field) const {
  return ExpandTags(brain, field, input, stepPattern, pattern);
}

namespace {

// Types whose output text is empty whatever their OutText holds.
bool OutputsNothing(uint8_t type) {
  switch (type) {
    case rt::SelfModify:
    case rt::ParseCollection:
    case rt::WordsToCollection:
    case rt::CreateAutoPattern:
    case rt::AddResponse:
    case rt::AddFragment:
    case rt::CallDLL: return true;
    default: return false;
  }
}

}  // namespace

void ResolveToString(BrainClass& brain, ResponseClass& r, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  ActionContext ctx{brain, r, PatternOfResponse(&r), StepPatternOfResponse(&r), input};
  if (brain.TraceOn) {
    std::string line = "[Resp: " + std::string(ResponseTypeName(r.ResponseType)) + "]: " + r.ObjectName + " = {";
    line += ctx.Expand(r.OutText) + "},{";
    line += ctx.Expand(r.TheName) + "},{";
    line += ctx.Expand(r.TheValue) + "}";
    brain.Trace(line);
  }
  std::string text = OutputsNothing(r.ResponseType) ? std::string() : ctx.Expand(r.OutText);
  PerformAction(ctx, r.ResponseType, ActionFields{r.OutText, r.TheName, r.TheValue}, false, text);
  brain.Output(text);
  brain.LastResponseName = r.ObjectName;
}

}  // namespace varnex
