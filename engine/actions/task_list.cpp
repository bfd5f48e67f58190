// The run of a Task List response: labels, jumps and the tasks' actions.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/actions/action_context.h"
#include "engine/actions/resolve.h"
#include "engine/base/errors.h"
#include "engine/records/navigation.h"
#include "engine/records/type_names.h"
#include "engine/template/condition.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"

namespace varnex {
namespace {

// A task list that loops for ever is cut off after this many executions;
// all the task lists of one outermost run (nested ones included) after ten
// times as many.
constexpr long kMaxTaskExecutions = 1000000;
constexpr long kMaxTasksPerRun = 10 * kMaxTaskExecutions;

// Entries "label=index", sorted ignoring case, without repeated entries.
class LabelTable {
 public:
  void Add(std::string entry) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), entry,
                               [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
    if (it != entries_.end() && EqualsNoCase(*it, entry)) return;
    entries_.insert(it, std::move(entry));
  }
  // The target of the first entry whose text before its first "=" equals
  // the label, or -1.
  long Target(std::string_view label) const {
    for (const auto& e : entries_) {
      std::size_t eq = e.find('=');
      if (EqualsNoCase(std::string_view(e).substr(0, eq), label))
        return eq == std::string::npos ? 0 : WholeNumberOr(std::string_view(e).substr(eq + 1), 0);
    }
    return -1;
  }

 private:
  std::vector<std::string> entries_;
};

}  // namespace

void ExecuteTasks(BrainClass& brain, ResponseClass& r, const std::string& input) {
  BrainClass::BusyScope busy(brain);
  ActionContext ctx{brain, r, PatternOfResponse(&r), StepPatternOfResponse(&r), input};
  LabelTable labels;
  for (std::size_t i = 0; i < r.Tasks.size(); ++i)
    if (r.Tasks[i]->ResponseType == ResponseType::SetLabel)
      labels.Add(Trim(ctx.Expand(r.Tasks[i]->TheName)) + "=" + std::to_string(i));

  long executed = 0;
  // Tasks added or deleted by an action are seen: the count is read anew.
  for (long index = 0; index >= 0 && static_cast<std::size_t>(index) < r.Tasks.size(); ++index) {
    if (++executed > kMaxTaskExecutions || ++brain.TasksRun > kMaxTasksPerRun) return;
    brain.CheckRun();
    TaskClass& t = *r.Tasks[static_cast<std::size_t>(index)];
    std::string text = ctx.Expand(t.OutText);
    const ActionFields fields{t.OutText, t.TheName, t.TheValue};
    if (brain.TraceOn) TraceFields(ctx, "Task", t.ResponseType, t.ObjectName, fields);
    if (t.ResponseType == ResponseType::Goto || t.ResponseType == ResponseType::BranchIf) {
      long target = labels.Target(Trim(ctx.Expand(t.TheName)));
      if (target >= 0 && (t.ResponseType == ResponseType::Goto || Condition(ctx.Expand(t.TheValue)))) index = target;
    } else {
      PerformContained(ctx, t.ResponseType, fields, true, text);
    }
    brain.LastTaskName = t.ObjectName;
  }
}

}  // namespace varnex
