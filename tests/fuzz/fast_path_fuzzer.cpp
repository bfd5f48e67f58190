// libFuzzer: any bytes as a brain and its inputs (separated by zero bytes:
// the first part is Language text, each further part one input) must be
// answered identically the fast way and the reference way.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "support/differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) parts.emplace_back();
    else parts.back().push_back(static_cast<char>(data[i]));
  }
  const std::string brain = parts[0];
  std::vector<std::string> inputs(parts.begin() + 1, parts.end());
  if (inputs.size() > 16) inputs.resize(16);
  std::vector<std::function<void(varnex::BrainClass&)>> none(inputs.size());
  const auto reference = varnex::test::Play(brain, inputs, none, false);
  const auto fast = varnex::test::Play(brain, inputs, none, true);
  if (reference.log != fast.log) {
    std::fprintf(stderr, "the fast way differs from the reference way\n");
    std::abort();
  }
  return 0;
}
