// The two enumerations that records store as byte numbers, and their names
// as the Language File, trace lines and named-object access write them.
#pragma once

#include <cstdint>
#include <string_view>

namespace varnex {

// Pattern types (WordFragmentClass::Relation).
namespace pt {
enum : uint8_t {
  None = 0, And, Or, Not, Custom, DataMatch, External, StateMatch, InCollection, Volition,
  OutMatch, CustomSub, InCollectionSub, Initialize, Finalize, DoBefore, DoAfter, Extract,
};
constexpr int Count = 18;
}  // namespace pt

// Response types (ResponseClass / TaskClass ::ResponseType).
namespace rt {
enum : uint8_t {
  None = 0, JustText, ModeChange, Nested, Assignment, Action, ResetHits, StateChange, ResetState,
  TaskList, ResetKMHits, ResetBrainHits, AddToCollection, RemoveFromCollection, SubmitThis,
  LogThis, StartProc, GotoStep, HaltProc, AskMentavo, CallProc, ProcReturn, SelfModify,
  LoadCollection, SaveCollection, ClearCollection, ParseCollection, DeleteObject, MakeCode,
  MergeCollection, DoResponseFor, WordsToCollection, CreateAutoPattern, AddResponse,
  AddFragment, SetUnsorted, SetLabel, Goto, BranchIf, CallDLL,
};
constexpr int Count = 40;
}  // namespace rt

// Names by number; numbers out of range give an empty name.
std::string_view PatternTypeName(uint8_t n);
std::string_view ResponseTypeName(uint8_t n);

// A name is trimmed and compared without regard to case with each name of
// the table in order; a name that matches none gives 0 (None).
uint8_t PatternTypeFromName(std::string_view name);
uint8_t ResponseTypeFromName(std::string_view name);

}  // namespace varnex
