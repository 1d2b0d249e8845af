// libFuzzer target: any bytes as an STL file. The reader answers every
// input with the vertices it could read (their consumers take whole
// triangles), never reading outside the image.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/StlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const formats::StlVertices vertices = formats::parseStl(bytes);
  (void)formats::analyseStl(vertices);
  (void)formats::parseStlDetailed(bytes);
  return 0;
}
