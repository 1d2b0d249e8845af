// libFuzzer target: any bytes as a DXF drawing. Segments come out finite or
// the file is refused; nothing crashes.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/DxfDrawing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/korvane-fuzz-dxf-" + std::to_string(::getpid()) + ".dxf";
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  if (const auto segments = formats::readDxfSegments(path))
    for (const formats::DxfSegment& s : *segments)
      for (const float v : s)
        if (!std::isfinite(v)) std::abort();
  return 0;
}
