// Record texts: up to seven bytes inline, longer ones in a pool block.
#include "engine/records/text.h"

#include <limits>
#include <ostream>
#include <stdexcept>

#include "engine/records/record_pool.h"

namespace varnex {

namespace {

std::size_t BlockBytes(std::size_t length) { return sizeof(uint32_t) + length; }

}  // namespace

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    std::memset(other.bytes_, 0, sizeof other.bytes_);
  }
  return *this;
}

// The new contents are made before the old are released, so that a text can
// be assigned a part of itself.
void Text::Assign(std::string_view s) {
  unsigned char fresh[sizeof bytes_] = {};
  if (s.size() <= kInline) {
    if (!s.empty()) {
      fresh[0] = static_cast<unsigned char>(s.size() << 1 | 1);
      std::memcpy(fresh + 1, s.data(), s.size());
    }
  } else {
    if (s.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("text too long");
    auto* block = static_cast<unsigned char*>(AllocateRecord(BlockBytes(s.size())));
    const auto n = static_cast<uint32_t>(s.size());
    std::memcpy(block, &n, sizeof n);
    std::memcpy(block + sizeof n, s.data(), s.size());
    std::memcpy(fresh, &block, sizeof block);
  }
  Release();
  std::memcpy(bytes_, fresh, sizeof bytes_);
}

std::ostream& operator<<(std::ostream& out, const Text& t) { return out << t.view(); }

void Text::Release() noexcept {
  if (!IsInline()) FreeRecord(const_cast<unsigned char*>(Block()), BlockBytes(BlockSize(Block())));
  std::memset(bytes_, 0, sizeof bytes_);
}

}  // namespace varnex
