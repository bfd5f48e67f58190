// Session blobs as the stores keep them. A blob is deflated behind a short
// header that says so: a conversation's blob is mostly its histories, text
// that deflates to an eighth, so a store then writes, sends and holds a
// fraction of the bytes. A stored value without the header is a blob kept
// as it is (by an earlier version of the program) and reads back unchanged.
//
//   "VXZ\x01", the blob's size (8 bytes, little-endian), zlib data
#pragma once

#include <string>
#include <string_view>

namespace varnex::server {

// The blob deflated with its header; the blob itself when deflating fails.
std::string PackBlob(std::string_view blob);

// The blob a stored value holds. False, with the reason in `error`, for a
// packed value that cannot be inflated to the size it names.
bool UnpackBlob(std::string_view stored, std::string& blob, std::string& error);

// Whether a stored value is packed.
bool IsPackedBlob(std::string_view stored);

}  // namespace varnex::server
