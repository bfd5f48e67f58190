// The names of the relations and response types, as Language text, trace
// lines and Self Modify write them.
#include "engine/records/type_names.h"

#include "engine/base/text_search.h"

namespace varnex {
namespace {

constexpr std::string_view kPatternTypes[pt::Count] = {
    "None",         "AND",        "OR",         "NOT",        "CUSTOM",        "Data-Match",
    "External",     "State-Match", "In Collection", "Volition", "Out-Match",    "CUSTOM-Sub",
    "In Collection-Sub", "Initialize", "Finalize", "Do-Before", "Do-After",     "EXTRACT",
};

constexpr std::string_view kResponseTypes[rt::Count] = {
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

template <std::size_t N>
uint8_t Lookup(const std::string_view (&table)[N], std::string_view name) {
  std::string_view t = TrimView(name);
  for (std::size_t i = 0; i < N; ++i)
    if (EqualsNoCase(t, table[i])) return static_cast<uint8_t>(i);
  return 0;
}

}  // namespace

std::string_view PatternTypeName(uint8_t n) { return n < pt::Count ? kPatternTypes[n] : std::string_view(); }
std::string_view ResponseTypeName(uint8_t n) { return n < rt::Count ? kResponseTypes[n] : std::string_view(); }
uint8_t PatternTypeFromName(std::string_view name) { return Lookup(kPatternTypes, name); }
uint8_t ResponseTypeFromName(std::string_view name) { return Lookup(kResponseTypes, name); }

}  // namespace varnex
