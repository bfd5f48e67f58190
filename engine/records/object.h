// The common root of every record a brain holds. The kind tag lets the
// registries that hold records of any class (named objects, the reader's
// current object) tell them apart without run-time type information.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/records/record_pool.h"
#include "engine/records/text.h"

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

class ObjectClass;

// Deletes a record as the class it is. Records have no virtual destructor,
// which would cost each of the millions of records of a big brain 8 bytes;
// lists that hold records of any kind hold them through this deleter.
struct RecordDeleter {
  RecordDeleter() noexcept = default;
  template <class T>
  RecordDeleter(const std::default_delete<T>&) noexcept {}
  void operator()(ObjectClass* record) const noexcept;
};
using AnyRecord = std::unique_ptr<ObjectClass, RecordDeleter>;

class ObjectClass {
 public:
  explicit ObjectClass(ObjectKind kind) : Kind(kind) {}
  ObjectClass(const ObjectClass&) = delete;
  ObjectClass& operator=(const ObjectClass&) = delete;

  // Records come from the record pool (see record_pool.h).
  static void* operator new(std::size_t size) { return AllocateRecord(size); }
  static void operator delete(void* p, std::size_t size) noexcept { FreeRecord(p, size); }

  Text ObjectName;
  const ObjectKind Kind;
  // Set once the record has been taken out of its brain (replaced or
  // deleted). A retired record stays alive until the brain's outermost
  // operation ends, so code that still holds it can finish safely, but it is
  // no longer reachable through any registry.
  bool Retired = false;

 protected:
  // Only as its own class (or through RecordDeleter) is a record deleted.
  ~ObjectClass() = default;
};

}  // namespace varnex
