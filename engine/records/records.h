// The records a brain is made of. Each record owns its child lists; Owner
// fields are plain back references. Records are plain data: the operations
// on them live in the modules named after what they do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/records/object.h"
#include "engine/records/owned_list.h"
#include "engine/records/text.h"
#include "engine/records/type_names.h"

namespace varnex {

class BrainClass;
class KnowledgeClass;
class PatternClass;
class ResponseClass;
class StepClass;
class StepPatternClass;
class ProcClass;

// One fragment of a pattern or step pattern (FRAGMENT).
class WordFragmentClass final : public ObjectClass {
 public:
  WordFragmentClass() : ObjectClass(ObjectKind::Fragment) {}
  PatternType Relation = PatternType::None;
  int32_t Bonus = 0;
  int32_t Penalty = 0;
  // Which of the brain's search keys WordFrag stands for (search_keys.h),
  // worked out when the fragment is first scored. Change WordFrag only
  // through SetWord, which makes it be worked out again.
  uint32_t SearchKey = 0;
  Text WordFrag;
  Text TheName;
  Text TheValue;
  ObjectClass* Owner = nullptr;  // PatternClass or StepPatternClass

  void SetWord(std::string_view word) {
    WordFrag = word;
    SearchKey = 0;
  }
};

// One task of a task-list response (TASK).
class TaskClass final : public ObjectClass {
 public:
  TaskClass() : ObjectClass(ObjectKind::Task) {}
  varnex::ResponseType ResponseType = varnex::ResponseType::None;
  Text OutText;
  Text TheName;
  Text TheValue;
  ResponseClass* Owner = nullptr;
};

// One possible answer (RESPONSE).
class ResponseClass final : public ObjectClass {
 public:
  ResponseClass() : ObjectClass(ObjectKind::Response) {}
  varnex::ResponseType ResponseType = varnex::ResponseType::None;
  // How often the response was drawn to answer (for coverage reports; not
  // part of the brain's text).
  uint32_t Uses = 0;
  Text OutText;
  Text TheName;
  Text TheValue;
  KnowledgeClass* NestedKnowledge = nullptr;  // not owned; nothing sets it
  OwnedList<TaskClass> Tasks;
  ObjectClass* Owner = nullptr;  // pattern, threshold, state response or step pattern
};

// Responses used while the pattern's hit count lies in a range (THRESHOLD).
class ThresholdClass final : public ObjectClass {
 public:
  ThresholdClass() : ObjectClass(ObjectKind::Threshold) {}
  int32_t ThreshFrom = 0;
  int32_t ThreshTo = 0;
  OwnedList<ResponseClass> Responses;
  PatternClass* Owner = nullptr;
};

// Responses used while the brain is in a state (FOR-STATE).
class StateClass final : public ObjectClass {
 public:
  StateClass() : ObjectClass(ObjectKind::State) {}
  Text State;
  OwnedList<ResponseClass> Responses;
  PatternClass* Owner = nullptr;
};

// One rule of a knowledge mode, a "clause" in Language text (FOR-MODE).
class PatternClass final : public ObjectClass {
 public:
  PatternClass() : ObjectClass(ObjectKind::Pattern) {}
  bool HasVolition : 1 = false;
  bool HasInitialize : 1 = false;
  bool HasFinalize : 1 = false;
  bool HitListed : 1 = false;  // on its mode's HitMarked list
  int32_t HitCount = 0;
  int32_t OrderBonus = 0;
  int32_t OrderPenalty = 0;
  KnowledgeClass* Owner = nullptr;
  OwnedList<WordFragmentClass> Fragments;
  OwnedList<ResponseClass> Responses;
  OwnedList<ThresholdClass> Thresholds;
  OwnedList<StateClass> States;
  double VolitionWhen = 0;  // days
  double LastVolition = 0;  // date-time; 0 = not since the last reset
};

// What the matcher derives from a mode to answer it quickly; rebuilt when
// the mode's Version has moved on. It covers the mode's first
// PatternsCovered patterns; patterns appended since are scored in full, so
// that a brain that learns a clause per input does not rebuild it each time.
class DerivedIndex {
 public:
  virtual ~DerivedIndex() = default;
  uint64_t BuiltAtVersion = 0;
  std::size_t PatternsCovered = 0;
  // Beyond this many appended patterns the index is rebuilt.
  std::size_t MaxAppended = 0;
};

// A knowledge mode: a named list of patterns (MODE).
class KnowledgeClass final : public ObjectClass {
 public:
  KnowledgeClass() : ObjectClass(ObjectKind::Knowledge) {}
  Text TheName;
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
  // Patterns whose HitCount may be other than 0 (SetHitCount keeps it), so
  // that a conversation's counts are saved and cleared without reading
  // every pattern of a large mode. Each at most once (HitListed).
  std::vector<PatternClass*> HitMarked;
  // Where marked patterns stand in Patterns, sorted by address; rebuilt
  // whenever a lookup finds it stale.
  std::vector<std::pair<const PatternClass*, uint32_t>> PositionCache;
  // Moves on whenever a pattern joins or leaves the mode, or gains an
  // Initialize or Finalize fragment, so that the positions of those
  // clauses can be kept instead of looked for among every pattern each
  // time a conversation starts.
  uint64_t Layout = 0;
  struct EventClauses {
    uint64_t layout = ~uint64_t{0};
    std::vector<uint32_t> initialize, finalize;
  } Events;
};

// A pattern or fragment of this mode changed: derived indexes are stale.
inline void Touch(KnowledgeClass* k) {
  if (k) ++k->Version;
}
// A pattern of a mode, or one of its fragments, changed (or the pattern left
// the mode): the index is stale unless the pattern is one it does not cover.
void Touch(PatternClass* p);
// Sets a pattern's LastVolition, remembering the pattern for the next reset.
void SetLastVolition(PatternClass& p, double when);

// A pattern of a procedure step (FOR-STEP).
class StepPatternClass final : public ObjectClass {
 public:
  StepPatternClass() : ObjectClass(ObjectKind::StepPattern) {}
  OwnedList<WordFragmentClass> Fragments;
  OwnedList<ResponseClass> Responses;
  StepClass* Owner = nullptr;
};

// One step of a procedure (STEP).
class StepClass final : public ObjectClass {
 public:
  StepClass() : ObjectClass(ObjectKind::Step) {}
  Text TheName;
  Text ThePrompt;
  OwnedList<StepPatternClass> StepPatterns;
  ProcClass* Owner = nullptr;
};

// A procedure: a scripted dialogue made of steps (PROCEDURE).
class ProcClass final : public ObjectClass {
 public:
  ProcClass() : ObjectClass(ObjectKind::Proc) {}
  Text TheName;
  Text CurrentStep;
  Text StartStep;
  OwnedList<StepClass> Steps;
  std::vector<std::string> StepNames;  // parallel to Steps
  BrainClass* Owner = nullptr;
};

// Records come from the record pool, whose blocks are aligned to 8 bytes.
static_assert(alignof(WordFragmentClass) <= 8 && alignof(TaskClass) <= 8 && alignof(ResponseClass) <= 8 &&
              alignof(ThresholdClass) <= 8 && alignof(StateClass) <= 8 && alignof(PatternClass) <= 8 &&
              alignof(KnowledgeClass) <= 8 && alignof(StepPatternClass) <= 8 && alignof(StepClass) <= 8 &&
              alignof(ProcClass) <= 8);
// A big brain is mostly patterns, fragments and responses: keep them small
// (the base's tail padding holds the first small fields).
static_assert(sizeof(WordFragmentClass) <= 56);
static_assert(sizeof(ResponseClass) <= 64);
static_assert(sizeof(PatternClass) <= 80);

}  // namespace varnex

namespace varnex {

inline void Touch(PatternClass* p) {
  if (!p || !p->Owner) return;
  KnowledgeClass& k = *p->Owner;
  // Only a current index that will not be rebuilt anyway, of a mode still in
  // its brain, is worth the search (which is thereby bounded).
  const DerivedIndex* idx = k.Index.get();
  if (idx && idx->BuiltAtVersion == k.Version && !k.Retired &&
      k.Patterns.size() <= idx->PatternsCovered + idx->MaxAppended)
    for (std::size_t i = k.Patterns.size(); i > idx->PatternsCovered; --i)
      if (k.Patterns[i - 1].get() == p) return;  // appended since the index was built
  Touch(&k);
}

// Sets a pattern's HitCount, remembering the pattern for the next reset.
inline void SetHitCount(PatternClass& p, int32_t hits) {
  if (hits != 0 && !p.HitListed && p.Owner) {
    p.Owner->HitMarked.push_back(&p);
    p.HitListed = true;
  }
  p.HitCount = hits;
}

// Sets every marked pattern's HitCount back to 0 and empties the list.
inline void ClearHitCounts(KnowledgeClass& k) {
  for (PatternClass* p : k.HitMarked) {
    p->HitCount = 0;
    p->HitListed = false;
  }
  k.HitMarked.clear();
}

inline void SetLastVolition(PatternClass& p, double when) {
  if (p.LastVolition == 0 && when != 0 && p.Owner) p.Owner->VolitionMarked.push_back(&p);
  p.LastVolition = when;
}

}  // namespace varnex
