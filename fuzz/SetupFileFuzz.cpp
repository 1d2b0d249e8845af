// libFuzzer target: any bytes as a saved state file, and sealed with their
// checksum so that the layout behind it is reached too. A file decodes to
// a state that encodes back to the same bytes, or to nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/SetupFile.h"
#include "formats/SimDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> sealed(data, data + size);
  formats::sealDocument(sealed);
  for (const std::vector<uint8_t>& file : {std::vector<uint8_t>(data, data + size), sealed}) {
    const auto state = formats::decodeSetup(file);
    if (state && formats::decodeSetup(formats::encodeSetup(*state)) != state) std::abort();
  }
  return 0;
}
