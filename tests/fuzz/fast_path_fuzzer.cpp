// libFuzzer: any bytes as a brain and its inputs (separated by zero bytes:
// the first part is Language text, each further part one input, at most 8)
// must be answered identically the fast way and the reference way.
//
// A brain that loops is stopped by a time limit of a quarter second per input, and
// where it stops depends on the way's speed: when either way was stopped,
// the two logs must agree as far as both go, and the play ends there.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/template/word_database.h"
#include "fuzz/fuzz_support.h"
#include "support/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnex;
  std::vector<std::string> parts = fuzz::SplitAtZeros(data, size, 9);
  for (auto& p : parts) fuzz::WithoutSlashes(p);
  const std::string brain = parts[0];
  const std::vector<std::string> inputs(parts.begin() + 1, parts.end());
  std::vector<std::function<void(BrainClass&)>> none(inputs.size());
  // Actions may write and read files: each way starts in an empty folder
  // of its own, so that neither sees what the other wrote.
  auto play = [&](bool fastWay) {
    fuzz::ScratchFolder folder;
    ResetWordDatabase();  // process-wide: it could hold files of the other way
    return test::Play(brain, inputs, none, fastWay, 0.25);
  };
  const auto reference = play(false);
  const auto fast = play(true);
  if (!reference.stopped && !fast.stopped) {
    if (reference.log != fast.log) fuzz::Fail("the fast way differs from the reference way", reference.log, fast.log);
    return 0;
  }
  // Without the "stopped" line: the other way may have gone on.
  const std::size_t n = std::min(reference.log.size() - reference.stopped, fast.log.size() - fast.stopped);
  if (!std::equal(reference.log.begin(), reference.log.begin() + static_cast<std::ptrdiff_t>(n), fast.log.begin()))
    fuzz::Fail("the fast way differs from the reference way before one was stopped", reference.log, fast.log);
  return 0;
}
