#include "server/blob_codec.h"

#include <zlib.h>

#include <cstdint>

namespace varnex::server {
namespace {

constexpr std::string_view kMagic("VXZ\x01", 4);
constexpr std::size_t kHeader = kMagic.size() + 8;
// A session blob is checked to be within limits far below this; a header
// naming more is damaged, and must not make us allocate it.
constexpr uint64_t kMaxBlob = UINT32_MAX;  // zlib counts in 32 bits

// One deflater and one inflater per thread, reset between blobs: making
// them anew for each blob (as compress2 and uncompress do) allocates and
// clears a few hundred kilobytes every time, which cost more than the
// deflating itself.
struct Streams {
  z_stream deflater{}, inflater{};
  bool deflating = false, inflating = false;
  ~Streams() {
    if (deflating) deflateEnd(&deflater);
    if (inflating) inflateEnd(&inflater);
  }
};

Streams& ThreadStreams() {
  thread_local Streams streams;
  return streams;
}

}  // namespace

bool IsPackedBlob(std::string_view stored) { return stored.substr(0, kMagic.size()) == kMagic; }

std::string PackBlob(std::string_view blob) {
  std::string out(kMagic);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((static_cast<uint64_t>(blob.size()) >> (8 * i)) & 0xff));
  Streams& z = ThreadStreams();
  if (!z.deflating) {
    // The fastest level: most of the gain, at a small part of the cost.
    if (deflateInit(&z.deflater, 1) != Z_OK) return std::string(blob);
    z.deflating = true;
  } else if (deflateReset(&z.deflater) != Z_OK) {
    return std::string(blob);
  }
  const uLong room = deflateBound(&z.deflater, static_cast<uLong>(blob.size()));
  out.resize(kHeader + room);
  z.deflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(blob.data()));
  z.deflater.avail_in = static_cast<uInt>(blob.size());
  z.deflater.next_out = reinterpret_cast<Bytef*>(out.data() + kHeader);
  z.deflater.avail_out = static_cast<uInt>(room);
  if (blob.size() > kMaxBlob || deflate(&z.deflater, Z_FINISH) != Z_STREAM_END) return std::string(blob);
  out.resize(kHeader + z.deflater.total_out);
  return out;
}

bool UnpackBlob(std::string_view stored, std::string& blob, std::string& error) {
  if (!IsPackedBlob(stored)) {
    blob.assign(stored);
    return true;
  }
  if (stored.size() < kHeader) {
    error = "deflated session cut short";
    return false;
  }
  uint64_t size = 0;
  for (int i = 0; i < 8; ++i)
    size |= static_cast<uint64_t>(static_cast<unsigned char>(stored[kMagic.size() + static_cast<std::size_t>(i)]))
            << (8 * i);
  // Deflate shrinks by 1032 to 1 at the very most: a size beyond that is
  // damage, and must not make us allocate it.
  const uint64_t data = stored.size() - kHeader;
  if (size > kMaxBlob || size > data * 1032 + 64) {
    error = "deflated session names an impossible size";
    return false;
  }
  Streams& z = ThreadStreams();
  if (!z.inflating) {
    if (inflateInit(&z.inflater) != Z_OK) {
      error = "cannot inflate a session: out of memory";
      return false;
    }
    z.inflating = true;
  } else if (inflateReset(&z.inflater) != Z_OK) {
    error = "cannot inflate a session";
    return false;
  }
  blob.resize(size);
  const std::string_view deflated = stored.substr(kHeader);
  z.inflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.inflater.avail_in = static_cast<uInt>(deflated.size());
  z.inflater.next_out = reinterpret_cast<Bytef*>(blob.data());
  z.inflater.avail_out = static_cast<uInt>(size);
  // Done only when the data ends exactly where the named size is reached.
  if (inflate(&z.inflater, Z_FINISH) != Z_STREAM_END || z.inflater.total_out != size ||
      z.inflater.avail_in != 0) {
    blob.clear();
    error = "deflated session damaged";
    return false;
  }
  return true;
}

}  // namespace varnex::server
