// libFuzzer: any bytes as a brain and its inputs (separated by zero bytes:
// the first part is Language text, each further part one input, at most 16)
// must be answered identically the fast way and the reference way.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/template/word_database.h"
#include "fuzz/fuzz_support.h"
#include "support/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnex;
  std::vector<std::string> parts = fuzz::SplitAtZeros(data, size, 17);
  for (auto& p : parts) fuzz::WithoutSlashes(p);
  const std::string brain = parts[0];
  const std::vector<std::string> inputs(parts.begin() + 1, parts.end());
  std::vector<std::function<void(BrainClass&)>> none(inputs.size());
  // Actions may write and read files: each way starts in an empty folder
  // of its own, so that neither sees what the other wrote.
  auto play = [&](bool fastWay) {
    fuzz::ScratchFolder folder;
    ResetWordDatabase();  // process-wide: it could hold files of the other way
    return test::Play(brain, inputs, none, fastWay);
  };
  const auto reference = play(false);
  const auto fast = play(true);
  if (reference.log != fast.log) fuzz::Fail("the fast way differs from the reference way", reference.log, fast.log);
  return 0;
}
