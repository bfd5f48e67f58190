// The list type of a record's children. A record owns its children through
// unique pointers; most records have no children of a kind, or one or two,
// so an OwnedList is a single pointer (null when empty) to a block from the
// record pool holding its length, its capacity and the pointers themselves.
// It offers the part of std::vector's interface the engine uses.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "engine/records/record_pool.h"

namespace varnex {

template <class T>
class OwnedList {
 public:
  using value_type = std::unique_ptr<T>;
  using iterator = value_type*;
  using const_iterator = const value_type*;

  OwnedList() noexcept = default;
  OwnedList(OwnedList&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  OwnedList& operator=(OwnedList&& other) noexcept {
    // Take the other list before destroying our children: it may belong to
    // one of them.
    OwnedList old;
    old.block_ = std::exchange(block_, std::exchange(other.block_, nullptr));
    return *this;
  }
  OwnedList(const OwnedList&) = delete;
  OwnedList& operator=(const OwnedList&) = delete;
  ~OwnedList() { clear(); }

  std::size_t size() const noexcept { return block_ ? block_->size : 0; }
  bool empty() const noexcept { return size() == 0; }
  iterator begin() noexcept { return Items(); }
  iterator end() noexcept { return Items() + size(); }
  const_iterator begin() const noexcept { return Items(); }
  const_iterator end() const noexcept { return Items() + size(); }
  value_type& operator[](std::size_t i) noexcept { return Items()[i]; }
  const value_type& operator[](std::size_t i) const noexcept { return Items()[i]; }
  value_type& at(std::size_t i) { return Items()[Checked(i)]; }
  const value_type& at(std::size_t i) const { return Items()[Checked(i)]; }
  value_type& front() noexcept { return Items()[0]; }
  const value_type& front() const noexcept { return Items()[0]; }
  value_type& back() noexcept { return Items()[size() - 1]; }
  const value_type& back() const noexcept { return Items()[size() - 1]; }

  void push_back(value_type item) { insert(end(), std::move(item)); }

  iterator insert(const_iterator pos, value_type item) {
    const std::size_t at = static_cast<std::size_t>(pos - Items());
    const std::size_t n = size();
    if (n == Capacity()) Grow(n + 1);
    // Move the tail up one place, from the end.
    ::new (static_cast<void*>(Slots(block_) + n)) value_type();
    ++block_->size;
    value_type* items = Items();
    for (std::size_t i = n; i > at; --i) items[i] = std::move(items[i - 1]);
    items[at] = std::move(item);
    return items + at;
  }

  iterator erase(const_iterator pos) {
    const std::size_t at = static_cast<std::size_t>(pos - Items());
    const std::size_t n = size();
    value_type* items = Items();
    // The erased child is destroyed after the list is consistent again, so
    // that its destruction never sees a half-moved list.
    value_type gone = std::move(items[at]);
    for (std::size_t i = at; i + 1 < n; ++i) items[i] = std::move(items[i + 1]);
    items[n - 1].~value_type();
    --block_->size;
    gone.reset();
    return Items() + at;
  }

  void clear() noexcept {
    if (!block_) return;
    // Children are destroyed last first, as std::vector's elements are not
    // guaranteed to be; the order does not matter to the engine.
    Block* b = std::exchange(block_, nullptr);
    value_type* items = std::launder(Slots(b));
    for (std::size_t i = b->size; i > 0; --i) items[i - 1].~value_type();
    FreeRecord(b, BlockBytes(b->capacity));
  }

 private:
  struct Block {
    uint32_t size;
    uint32_t capacity;
  };
  static_assert(sizeof(Block) % alignof(value_type) == 0);

  static std::size_t BlockBytes(std::size_t capacity) { return sizeof(Block) + capacity * sizeof(value_type); }
  // The room for the pointers, and the pointers once some are there.
  static value_type* Slots(Block* b) noexcept {
    return reinterpret_cast<value_type*>(reinterpret_cast<char*>(b) + sizeof(Block));
  }
  value_type* Items() const noexcept {
    if (!block_) return nullptr;
    return block_->size ? std::launder(Slots(block_)) : Slots(block_);
  }
  std::size_t Capacity() const noexcept { return block_ ? block_->capacity : 0; }
  std::size_t Checked(std::size_t i) const {
    if (i >= size()) throw std::out_of_range("child list index");
    return i;
  }

  // Room for at least `needed` children: exact up to eight (most records
  // have a few children of a kind, and a block given up while a list grows
  // serves the next list that grows past it), then doubling.
  void Grow(std::size_t needed) {
    if (needed > UINT32_MAX / 2) throw std::length_error("child list too long");
    const std::size_t cap = needed <= 8 ? needed : std::max<std::size_t>(needed, Capacity() * 2);
    auto* b = ::new (AllocateRecord(BlockBytes(cap))) Block{static_cast<uint32_t>(size()), static_cast<uint32_t>(cap)};
    value_type* to = Slots(b);
    value_type* from = Items();
    for (std::size_t i = 0; i < b->size; ++i) {
      ::new (static_cast<void*>(to + i)) value_type(std::move(from[i]));
      from[i].~value_type();
    }
    if (block_) FreeRecord(block_, BlockBytes(block_->capacity));
    block_ = b;
  }

  Block* block_ = nullptr;
};

}  // namespace varnex
