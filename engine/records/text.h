// The text type of record fields. A big brain holds millions of them, most
// empty or a short word, so a Text is 8 bytes: texts of up to 7 bytes are
// kept inside it, longer ones in one block of their own (length, then the
// bytes) taken from the record pool. It reads as a std::string_view.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

namespace varnex {

class Text {
 public:
  Text() noexcept = default;
  Text(std::string_view s) { Assign(s); }
  Text(const std::string& s) { Assign(s); }
  Text(const char* s) { Assign(s); }
  Text(const Text& other) { Assign(other.view()); }
  Text(Text&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    std::memset(other.bytes_, 0, sizeof other.bytes_);
  }
  Text& operator=(const Text& other) {
    if (this != &other) Assign(other.view());
    return *this;
  }
  Text& operator=(Text&& other) noexcept;
  Text& operator=(std::string_view s) {
    Assign(s);
    return *this;
  }
  Text& operator=(const std::string& s) { return *this = std::string_view(s); }
  Text& operator=(const char* s) { return *this = std::string_view(s); }
  ~Text() { Release(); }

  const char* data() const noexcept {
    return IsInline() ? reinterpret_cast<const char*>(bytes_ + 1) : BlockData(Block());
  }
  std::size_t size() const noexcept { return IsInline() ? bytes_[0] >> 1 : BlockSize(Block()); }
  bool empty() const noexcept { return size() == 0; }
  std::string_view view() const noexcept { return {data(), size()}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const noexcept { return view(); }
  operator std::string() const { return str(); }
  char operator[](std::size_t i) const noexcept { return data()[i]; }
  char back() const noexcept { return data()[size() - 1]; }

  friend bool operator==(const Text& a, std::string_view b) noexcept { return a.view() == b; }
  friend std::ostream& operator<<(std::ostream& out, const Text& t);
  // Joining with other texts makes a std::string.
  friend std::string operator+(std::string a, const Text& b) { return a.append(b.view()); }
  friend std::string operator+(const char* a, const Text& b) { return std::string(a).append(b.view()); }
  friend std::string operator+(const Text& a, std::string_view b) { return a.str().append(b); }
  friend std::string operator+(const Text& a, const char* b) { return a.str().append(b); }
  friend std::string operator+(const Text& a, const Text& b) { return a.str().append(b.view()); }

 private:
  static constexpr std::size_t kInline = 7;

  // bytes_[0] is (length << 1) | 1 for an inline text, and 0 for the empty
  // text; otherwise the 8 bytes are a pointer to the block, whose lowest bit
  // is 0 since blocks are aligned.
  bool IsInline() const noexcept { return (bytes_[0] & 1) || Block() == nullptr; }
  const unsigned char* Block() const noexcept {
    const unsigned char* p;
    std::memcpy(&p, bytes_, sizeof p);
    return p;
  }
  static std::size_t BlockSize(const unsigned char* block) noexcept {
    uint32_t n;
    std::memcpy(&n, block, sizeof n);
    return n;
  }
  static const char* BlockData(const unsigned char* block) noexcept {
    return reinterpret_cast<const char*>(block + sizeof(uint32_t));
  }
  void Assign(std::string_view s);
  void Release() noexcept;

  alignas(8) unsigned char bytes_[8] = {};
};

static_assert(sizeof(Text) == 8);
// The tag of an inline text shares its byte with the lowest byte of a pointer.
static_assert(std::endian::native == std::endian::little);

}  // namespace varnex
