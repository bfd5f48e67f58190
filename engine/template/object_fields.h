// Setting one field of a named record by the field's name: the access that
// lets a running brain change its own records.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// Finds the record registered under `objectName` (ignoring case, the first
// of several) and sets the field named `fieldName` (ignoring case) from the
// text `value`, converted to the field's type. An unknown name changes
// nothing; a field the record's class does not have is reported as an answer
// beginning "Varnex Internal Error.  ".
void SetObjectField(BrainClass& brain, const std::string& objectName, const std::string& fieldName,
                    const std::string& value);

}  // namespace varnex
