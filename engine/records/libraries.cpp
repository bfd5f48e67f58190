// Outside libraries loaded by a brain, cached by upper-case name and freed
// with the brain; loading asks the host's consent.
#include "engine/records/libraries.h"

#include <algorithm>

#include "engine/base/text_search.h"
#include "platform/dynamic_library.h"

namespace varnex {

bool Permitted(BrainClass& brain, Permission kind, const std::string& what) {
  if (brain.AskPermission) {
    BrainClass::HostCall host(brain);
    if (brain.AskPermission(kind, what)) return true;
  }
  if (brain.TraceOn) brain.Trace(std::string("[Blocked]: ") + (kind == Permission::StartProgram ? "program " : "library ") + what);
  return false;
}

void* FindOrLoadLibrary(BrainClass& brain, const std::string& fileName) {
  const std::string key = UpperCase(fileName);
  auto it = std::lower_bound(brain.Libraries.begin(), brain.Libraries.end(), key,
                             [](const auto& e, const std::string& k) { return e.first < k; });
  if (it != brain.Libraries.end() && it->first == key) return it->second;
  if (!Permitted(brain, Permission::LoadLibrary, fileName)) return nullptr;
  void* handle = LoadDynamicLibrary(fileName);
  if (handle) brain.Libraries.insert(it, {key, handle});
  return handle;
}

}  // namespace varnex
