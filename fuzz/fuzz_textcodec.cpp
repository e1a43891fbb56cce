// Fuzz target: the scene text codecs. Decoding any symbols must not fail, and encoding any
// text must decode back to that text; comma texts must survive a join and split.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "scene/CommaText.h"
#include "scene/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  kx::DecodeObjectText(input);
  if (kx::DecodeObjectText(kx::EncodeObjectText(input)) != input) std::abort();
  const auto items = kx::SplitCommaText(input);
  if (kx::SplitCommaText(kx::JoinCommaText(items)) != items) std::abort();
  return 0;
}
