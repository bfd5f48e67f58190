// The brain's outside libraries, shared by External fragments and CallDLL.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// Asks the front end; a refusal is traced as "[Blocked]: " + what.
bool Permitted(BrainClass& brain, Permission kind, const std::string& what);

// The handle of the library of that file name: cached by upper-case name,
// loaded (with the user's consent) and registered on first use. Null when it
// cannot be loaded or is refused; nothing is registered then, so the next
// use tries again.
void* FindOrLoadLibrary(BrainClass& brain, const std::string& fileName);

}  // namespace varnex
