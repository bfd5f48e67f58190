// Loading outside libraries and finding their functions by name.
#pragma once

#include <string>

namespace varnex {

// The handle of a loaded library, or null when it cannot be loaded. A name
// without a "/" that names a file in the current directory loads that file;
// otherwise the name goes to the system's library search as given.
void* LoadDynamicLibrary(const std::string& name);
void* FindLibraryFunction(void* library, const std::string& name);
void FreeDynamicLibrary(void* library);

}  // namespace varnex
