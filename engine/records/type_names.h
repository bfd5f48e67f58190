// The two enumerations that records store as byte numbers, and their names
// as the Language File, trace lines and named-object access write them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varnex {

// Pattern types: the relation of a fragment (WordFragmentClass::Relation).
// Records store them as bytes; a number past Count (Self Modify can set
// any) is kept, and behaves as no relation.
enum class PatternType : uint8_t {
  None = 0, And, Or, Not, Custom, DataMatch, External, StateMatch, InCollection, Volition,
  OutMatch, CustomSub, InCollectionSub, Initialize, Finalize, DoBefore, DoAfter, Extract,
  Count  // not a type: how many there are
};

// Response types (ResponseClass / TaskClass ::ResponseType). A number past
// Count is an unknown type.
enum class ResponseType : uint8_t {
  None = 0, JustText, ModeChange, Nested, Assignment, Action, ResetHits, StateChange, ResetState,
  TaskList, ResetKMHits, ResetBrainHits, AddToCollection, RemoveFromCollection, SubmitThis,
  LogThis, StartProc, GotoStep, HaltProc, AskMentavo, CallProc, ProcReturn, SelfModify,
  LoadCollection, SaveCollection, ClearCollection, ParseCollection, DeleteObject, MakeCode,
  MergeCollection, DoResponseFor, WordsToCollection, CreateAutoPattern, AddResponse,
  AddFragment, SetUnsorted, SetLabel, Goto, BranchIf, CallDLL,
  Count  // not a type: how many there are
};

constexpr std::size_t Index(PatternType t) { return static_cast<std::size_t>(t); }
constexpr std::size_t Index(ResponseType t) { return static_cast<std::size_t>(t); }

// Names by type; types out of range give an empty name.
std::string_view PatternTypeName(PatternType t);
std::string_view ResponseTypeName(ResponseType t);

// A name is trimmed and compared without regard to case with each name of
// the table in order; a name that matches none gives None.
PatternType PatternTypeFromName(std::string_view name);
ResponseType ResponseTypeFromName(std::string_view name);

}  // namespace varnex
