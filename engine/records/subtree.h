// Walks a record and everything it owns.
#pragma once

#include <functional>

#include "engine/records/object.h"

namespace varnex {

void ForEachInSubtree(ObjectClass* root, const std::function<void(ObjectClass*)>& visit);

}  // namespace varnex
