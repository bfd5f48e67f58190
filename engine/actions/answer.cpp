// A mode answers: the one choice of clause (best_pattern.h), then the
// winner responds and volition counts again from this input.
#include "engine/actions/answer.h"

#include "engine/actions/respond.h"
#include "engine/matching/best_pattern.h"

namespace varnex {

void Answer(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  const BestPattern best = ChooseBestPattern(brain, knowledge, input);
  if (!best.winner) {
    brain.Output("Sorry, I can't answer you because I don't know anything at all yet...");
  } else {
    if (brain.TraceOn) brain.Trace("[Score: " + std::to_string(best.score) + "]:  " + best.winner->ObjectName);
    brain.Answered.push_back({false, std::string(knowledge.TheName), "", best.index + 1,
                              std::string(best.winner->ObjectName), best.score});
    Respond(brain, *best.winner, input);
  }
  ResetVolition(knowledge);
  brain.LastKnowledgeName = knowledge.ObjectName;
}

}  // namespace varnex
