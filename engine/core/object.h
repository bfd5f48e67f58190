// The common root of every record a brain holds. The kind tag lets the
// registries that hold records of any class (named objects, the reader's
// current object) tell them apart without run-time type information.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/record_pool.h"

namespace varnex {

enum class ObjectKind : uint8_t {
  Fragment,
  Task,
  Response,
  Threshold,
  State,
  Pattern,
  Knowledge,
  StepPattern,
  Step,
  Proc,
  Collection,
  Brain,
};

class ObjectClass {
 public:
  explicit ObjectClass(ObjectKind kind) : Kind(kind) {}
  virtual ~ObjectClass() = default;
  ObjectClass(const ObjectClass&) = delete;
  ObjectClass& operator=(const ObjectClass&) = delete;

  // Records come from the record pool (see record_pool.h).
  static void* operator new(std::size_t size) { return AllocateRecord(size); }
  static void operator delete(void* p, std::size_t size) noexcept { FreeRecord(p, size); }

  const ObjectKind Kind;
  std::string ObjectName;
  // Set once the record has been taken out of its brain (replaced or
  // deleted). A retired record stays alive until the brain's outermost
  // operation ends, so code that still holds it can finish safely, but it is
  // no longer reachable through any registry.
  bool Retired = false;
};

}  // namespace varnex
