// libFuzzer target: any bytes as a simulation file, and sealed with their
// checksum so that the sections behind it are reached too. A file decodes
// to a content that encodes and decodes to the same bytes, or to nothing;
// the record checks a load makes run on what was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "api/SimulationContent.h"
#include "formats/SimDocument.h"
#include "formats/SimulationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> sealed(data, data + size);
  formats::sealDocument(sealed);
  for (const std::vector<uint8_t>& file : {std::vector<uint8_t>(data, data + size), sealed}) {
    const formats::DecodedSimulation decoded = formats::decodeSimulation(file);
    if (!decoded.content) continue;
    const std::vector<uint8_t> encoded = formats::encodeSimulation(*decoded.content);
    const formats::DecodedSimulation again = formats::decodeSimulation(encoded);
    if (!again.content || formats::encodeSimulation(*again.content) != encoded) std::abort();
    api::checkSimulationContent(*decoded.content);
  }
  return 0;
}
