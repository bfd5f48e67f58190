// The records a brain is made of. Each record owns its child lists; Owner
// fields are plain back references. Records are plain data: the operations
// on them live in the modules named after what they do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/object.h"

namespace varnex {

class BrainClass;
class KnowledgeClass;
class PatternClass;
class ResponseClass;
class StepClass;
class StepPatternClass;
class ProcClass;

template <class T>
using OwnedList = std::vector<std::unique_ptr<T>>;

// One fragment of a pattern or step pattern (FRAGMENT).
class WordFragmentClass : public ObjectClass {
 public:
  WordFragmentClass() : ObjectClass(ObjectKind::Fragment) {}
  std::string WordFrag;
  uint8_t Relation = 0;
  int32_t Bonus = 0;
  int32_t Penalty = 0;
  std::string TheName;
  std::string TheValue;
  ObjectClass* Owner = nullptr;  // PatternClass or StepPatternClass
};

// One task of a task-list response (TASK).
class TaskClass : public ObjectClass {
 public:
  TaskClass() : ObjectClass(ObjectKind::Task) {}
  uint8_t ResponseType = 0;
  std::string OutText;
  std::string TheName;
  std::string TheValue;
  ResponseClass* Owner = nullptr;
};

// One possible answer (RESPONSE).
class ResponseClass : public ObjectClass {
 public:
  ResponseClass() : ObjectClass(ObjectKind::Response) {}
  uint8_t ResponseType = 0;
  std::string OutText;
  std::string TheName;
  std::string TheValue;
  KnowledgeClass* NestedKnowledge = nullptr;  // not owned; nothing sets it
  OwnedList<TaskClass> Tasks;
  ObjectClass* Owner = nullptr;  // pattern, threshold, state response or step pattern
};

// Responses used while the pattern's hit count lies in a range (THRESHOLD).
class ThresholdClass : public ObjectClass {
 public:
  ThresholdClass() : ObjectClass(ObjectKind::Threshold) {}
  int32_t ThreshFrom = 0;
  int32_t ThreshTo = 0;
  OwnedList<ResponseClass> Responses;
  PatternClass* Owner = nullptr;
};

// Responses used while the brain is in a state (FOR-STATE).
class StateClass : public ObjectClass {
 public:
  StateClass() : ObjectClass(ObjectKind::State) {}
  std::string State;
  OwnedList<ResponseClass> Responses;
  PatternClass* Owner = nullptr;
};

// One rule of a knowledge mode, a "clause" in Language text (FOR-MODE).
class PatternClass : public ObjectClass {
 public:
  PatternClass() : ObjectClass(ObjectKind::Pattern) {}
  OwnedList<WordFragmentClass> Fragments;
  OwnedList<ResponseClass> Responses;
  OwnedList<ThresholdClass> Thresholds;
  OwnedList<StateClass> States;
  int32_t HitCount = 0;
  KnowledgeClass* Owner = nullptr;
  bool HasVolition = false;
  double VolitionWhen = 0;  // days
  double LastVolition = 0;  // date-time; 0 = not since the last reset
  bool HasInitialize = false;
  bool HasFinalize = false;
  int32_t OrderBonus = 0;
  int32_t OrderPenalty = 0;
};

// What the matcher derives from a mode to answer it quickly; rebuilt when
// the mode's Version has moved on.
class DerivedIndex {
 public:
  virtual ~DerivedIndex() = default;
};

// A knowledge mode: a named list of patterns (MODE).
class KnowledgeClass : public ObjectClass {
 public:
  KnowledgeClass() : ObjectClass(ObjectKind::Knowledge) {}
  std::string TheName;
  OwnedList<PatternClass> Patterns;
  ObjectClass* Owner = nullptr;  // the brain, or a response for nested knowledge
  bool HasVolition = false;

  // Moves on whenever a pattern or fragment of the mode is added, removed or
  // changed in a way that matters to scoring.
  uint64_t Version = 0;
  std::unique_ptr<DerivedIndex> Index;
  // Patterns whose LastVolition may be other than 0, so that answering
  // resets only those.
  std::vector<PatternClass*> VolitionMarked;
};

// A pattern or fragment of this mode changed: derived indexes are stale.
inline void Touch(KnowledgeClass* k) {
  if (k) ++k->Version;
}
void Touch(PatternClass* p);
// Sets a pattern's LastVolition, remembering the pattern for the next reset.
void SetLastVolition(PatternClass& p, double when);

// A pattern of a procedure step (FOR-STEP).
class StepPatternClass : public ObjectClass {
 public:
  StepPatternClass() : ObjectClass(ObjectKind::StepPattern) {}
  OwnedList<WordFragmentClass> Fragments;
  OwnedList<ResponseClass> Responses;
  StepClass* Owner = nullptr;
};

// One step of a procedure (STEP).
class StepClass : public ObjectClass {
 public:
  StepClass() : ObjectClass(ObjectKind::Step) {}
  std::string TheName;
  std::string ThePrompt;
  OwnedList<StepPatternClass> StepPatterns;
  ProcClass* Owner = nullptr;
};

// A procedure: a scripted dialogue made of steps (PROCEDURE).
class ProcClass : public ObjectClass {
 public:
  ProcClass() : ObjectClass(ObjectKind::Proc) {}
  std::string TheName;
  std::string CurrentStep;
  std::string StartStep;
  OwnedList<StepClass> Steps;
  std::vector<std::string> StepNames;  // parallel to Steps
  BrainClass* Owner = nullptr;
};

}  // namespace varnex

namespace varnex {

inline void Touch(PatternClass* p) {
  if (p) Touch(p->Owner);
}

inline void SetLastVolition(PatternClass& p, double when) {
  if (p.LastVolition == 0 && when != 0 && p.Owner) p.Owner->VolitionMarked.push_back(&p);
  p.LastVolition = when;
}

}  // namespace varnex
