// Stored session values: packed blobs come back byte for byte, values kept
// as they are pass through, and a damaged packed value is refused with a
// reason, never read as a different blob.
#include "server/blob_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace varnex::server {
namespace {

TEST(BlobCodec, PacksAndUnpacksEveryByte) {
  std::string histories;
  for (int i = 0; i < 200; ++i) histories += "what do you grow? I grow basil and thyme.\n";
  for (const std::string& blob : {std::string(), std::string("VXSESS\0\1\2", 9), histories}) {
    const std::string packed = PackBlob(blob);
    EXPECT_TRUE(IsPackedBlob(packed));
    std::string back, why;
    ASSERT_TRUE(UnpackBlob(packed, back, why)) << why;
    EXPECT_EQ(back, blob);
  }
  EXPECT_LT(PackBlob(histories).size(), histories.size() / 8);
}

TEST(BlobCodec, PassesValuesKeptAsTheyAreThrough) {
  std::string back, why;
  ASSERT_TRUE(UnpackBlob(std::string("VXSESS\0", 7), back, why));
  EXPECT_EQ(back, std::string("VXSESS\0", 7));
  EXPECT_FALSE(IsPackedBlob("VXZ"));  // too short to be packed
}

TEST(BlobCodec, RefusesDamagedValues) {
  std::string blob;
  for (int i = 0; i < 100; ++i) blob += "line " + std::to_string(i) + "\n";
  const std::string packed = PackBlob(blob);
  std::string flipped = packed;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x40);
  std::string wrongSize = packed;
  wrongSize[4] = static_cast<char>(wrongSize[4] + 1);  // names one byte more than it holds
  std::string huge = packed;
  huge[11] = '\x7f';  // names an impossible size: refused before anything is allocated
  std::string large = packed;
  large[7] = '\x40';  // a gigabyte: more than these few bytes can inflate to
  for (const std::string& bad : {packed.substr(0, 8), packed.substr(0, packed.size() - 3), flipped, wrongSize,
                                 huge, large, packed + "extra"}) {
    std::string back, why;
    EXPECT_FALSE(UnpackBlob(bad, back, why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(back.empty());
  }
}

}  // namespace
}  // namespace varnex::server
