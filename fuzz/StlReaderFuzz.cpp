// libFuzzer target: any bytes as an STL file. The reader answers every
// input with triangles or none; the analysis of what it read stays finite
// or reports nothing.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/StlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const formats::StlVertices vertices = formats::parseStl(bytes);
  if (vertices.size() % 3 != 0) __builtin_trap();
  (void)formats::analyseStl(vertices);
  (void)formats::parseStlDetailed(bytes);
  return 0;
}
