// Outside libraries through dlopen: a bare name of a file in the current
// folder loads that file, otherwise the system's search.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include "platform/text_file.h"

namespace varnex {

void* LoadDynamicLibrary(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
  std::string path = name;
  if (name.find('/') == std::string::npos && IsRegularFile(name)) path = "./" + name;
  return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibraryFunction(void* library, const std::string& name) {
  if (!library || name.empty() || name.find('\0') != std::string::npos) return nullptr;
  return ::dlsym(library, name.c_str());
}

void FreeDynamicLibrary(void* library) {
  if (library) ::dlclose(library);
}

}  // namespace varnex
