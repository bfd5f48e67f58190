// Self Modify: any field of any named record, by field name. A field that
// matters to scoring touches the mode's index.
#include "engine/template/object_fields.h"

#include "engine/records/attach.h"
#include "engine/records/type_names.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "platform/clock.h"

namespace varnex {
namespace {

int32_t Whole(const std::string& v) { return WholeNumberOr(v, 0); }
bool Flag(const std::string& v) {
  std::string u = UpperCase(v);
  return u == "YES" || u == "Y" || u == "TRUE";
}
double Days(const std::string& v, double fallback) {
  auto d = ReadDecimalNumber(TrimView(v));
  return d ? static_cast<double>(*d) : fallback;
}

// Sets a field of a task or a response, which share these four keys.
template <class R>
bool SetResponseField(R& r, const std::string& key, const std::string& value) {
  if (key == "RESPONSETYPE") r.ResponseType = ResponseTypeFromName(value);
  else if (key == "OUTTEXT") r.OutText = value;
  else if (key == "THENAME") r.TheName = value;
  else if (key == "THEVALUE") r.TheValue = value;
  else return false;
  return true;
}

bool SetField(ObjectClass& record, const std::string& key, const std::string& value) {
  switch (record.Kind) {
    case ObjectKind::Fragment: {
      auto& f = static_cast<WordFragmentClass&>(record);
      // Every fragment field may matter to how the mode scores.
      if (f.Owner && f.Owner->Kind == ObjectKind::Pattern) Touch(static_cast<PatternClass*>(f.Owner));
      if (key == "WORDFRAG") {
        f.SetWord(value);
        if (f.Relation == PatternType::Volition && f.Owner && f.Owner->Kind == ObjectKind::Pattern)
          static_cast<PatternClass*>(f.Owner)->VolitionWhen = VolitionIntervalOf(f.WordFrag);
      } else if (key == "RELATION") f.Relation = PatternTypeFromName(value);
      else if (key == "BONUS") f.Bonus = Whole(value);
      else if (key == "PENALTY") f.Penalty = Whole(value);
      else if (key == "THENAME") f.TheName = value;
      else if (key == "THEVALUE") f.TheValue = value;
      else return false;
      return true;
    }
    case ObjectKind::Task: return SetResponseField(static_cast<TaskClass&>(record), key, value);
    case ObjectKind::Response: return SetResponseField(static_cast<ResponseClass&>(record), key, value);
    case ObjectKind::Threshold: {
      auto& t = static_cast<ThresholdClass&>(record);
      if (key == "THRESHFROM") t.ThreshFrom = Whole(value);
      else if (key == "THRESHTO") t.ThreshTo = Whole(value);
      else return false;
      return true;
    }
    case ObjectKind::State:
      if (key != "STATE") return false;
      static_cast<StateClass&>(record).State = value;
      return true;
    case ObjectKind::Pattern: {
      auto& p = static_cast<PatternClass&>(record);
      if (key == "HITCOUNT") SetHitCount(p, Whole(value));
      else if (key == "HASVOLITION") p.HasVolition = Flag(value);
      else if (key == "LASTVOLITION") SetLastVolition(p, Days(value, NowDays()));
      else if (key == "VOLITIONWHEN") p.VolitionWhen = Days(value, 9999999.99);
      else return false;
      return true;
    }
    case ObjectKind::Knowledge:
      if (key != "HASVOLITION") return false;
      static_cast<KnowledgeClass&>(record).HasVolition = Flag(value);
      return true;
    case ObjectKind::Collection:
    case ObjectKind::StepPattern: return false;
    case ObjectKind::Step: {
      auto& s = static_cast<StepClass&>(record);
      if (key == "THENAME") s.TheName = value;
      else if (key == "THEPROMPT") s.ThePrompt = value;
      else return false;
      return true;
    }
    case ObjectKind::Proc: {
      auto& p = static_cast<ProcClass&>(record);
      if (key == "THENAME") p.TheName = value;
      else if (key == "CURRENTSTEP") p.CurrentStep = value;
      else if (key == "STARTSTEP") p.StartStep = value;
      else return false;
      return true;
    }
    case ObjectKind::Brain: {
      auto& b = static_cast<BrainClass&>(record);
      if (key == "MYNAME") b.MyName = value;
      else if (key == "CURRENTMODE") b.CurrentMode = Whole(value);
      else if (key == "CURRENTSTATE") b.CurrentState = Whole(value);
      else if (key == "CURRENTPROC") b.CurrentProc = Whole(value);
      else if (key == "HASVOLITION") b.HasVolition = Flag(value);
      else if (key == "LASTINPUT") b.StampLastInput();
      else if (key == "SHOWBLANKOUTPUT") b.ShowBlankOutput = Flag(value);
      else if (key == "LASTOUTPUT") {
        if (!value.empty()) PushHistory(b.OutputHistory, value);
      } else return false;
      return true;
    }
  }
  return false;
}

}  // namespace

void SetObjectField(BrainClass& brain, const std::string& objectName, const std::string& fieldName,
                    const std::string& value) {
  ObjectClass* record = brain.NamedObjects.Find(objectName);
  if (!record) return;
  const std::string key = UpperCase(fieldName);
  // Collections and step patterns have no settable field; an empty field
  // name asks for nothing.
  if ((record->Kind == ObjectKind::Collection || record->Kind == ObjectKind::StepPattern) && key.empty()) return;
  if (!SetField(*record, key, value))
    brain.Output("Varnex Internal Error.  Unknown Named Object Class Field: " + objectName + " " + key);
}

}  // namespace varnex
