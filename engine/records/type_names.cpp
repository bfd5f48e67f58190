// The names of the relations and response types, as Language text, trace
// lines and Self Modify write them.
#include "engine/records/type_names.h"

#include "engine/base/text_search.h"

namespace varnex {
namespace {

constexpr std::string_view kPatternTypes[Index(PatternType::Count)] = {
    "None",         "AND",        "OR",         "NOT",        "CUSTOM",        "Data-Match",
    "External",     "State-Match", "In Collection", "Volition", "Out-Match",    "CUSTOM-Sub",
    "In Collection-Sub", "Initialize", "Finalize", "Do-Before", "Do-After",     "EXTRACT",
};

constexpr std::string_view kResponseTypes[Index(ResponseType::Count)] = {
    "None",            "Just Text",        "Mode Change",         "Nested",
    "Assignment",      "Action",           "Reset Hits",          "State Change",
    "Reset State",     "Task List",        "Reset KM Hits",       "Reset Brain Hits",
    "Add To Collection", "Remove From Collection", "Submit This", "Log This",
    "Start Proc",      "Goto Step",        "Halt Proc",           "Ask Mentavo",
    "Call Proc",       "Proc Return",      "Self Modify",         "Load Collection",
    "Save Collection", "Clear Collection", "Parse Collection",    "Delete Object",
    "Make Code",       "Merge Collection", "Do Response For",     "Words To Collection",
    "Create AutoPattern", "Add Response",  "Add Fragment",        "Set Unsorted",
    "Set Label",       "Goto",             "BranchIf",            "CallDLL",
};

template <class Type, std::size_t N>
Type Lookup(const std::string_view (&table)[N], std::string_view name) {
  std::string_view t = TrimView(name);
  for (std::size_t i = 0; i < N; ++i)
    if (EqualsNoCase(t, table[i])) return static_cast<Type>(i);
  return Type::None;
}

}  // namespace

std::string_view PatternTypeName(PatternType t) {
  return t < PatternType::Count ? kPatternTypes[Index(t)] : std::string_view();
}
std::string_view ResponseTypeName(ResponseType t) {
  return t < ResponseType::Count ? kResponseTypes[Index(t)] : std::string_view();
}
PatternType PatternTypeFromName(std::string_view name) { return Lookup<PatternType>(kPatternTypes, name); }
ResponseType ResponseTypeFromName(std::string_view name) { return Lookup<ResponseType>(kResponseTypes, name); }

}  // namespace varnex
