// DXF drawings read into segments for the host.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "formats/DxfDrawing.h"
#include "korvane/Korvane.h"

extern "C" {

SIM_EXPORT int32_t SIM_ParseDxfFile(const char* path, SIM_DxfSegment* segments, int32_t capacity, uint32_t* count) {
  if (count) *count = 0;
  if (!path || !count) return -1;
  try {
    const std::optional<std::vector<formats::DxfSegment>> read = formats::readDxfSegments(path);
    if (!read) return 1;
    if (!segments || capacity < 0 || read->size() + 1 > static_cast<uint64_t>(capacity) ||
        read->size() >= UINT32_MAX)
      return 2;
    for (size_t i = 0; i < read->size(); ++i) {
      const formats::DxfSegment& s = (*read)[i];
      segments[i] = SIM_DxfSegment{{s[0], s[1]}, {s[2], s[3]}};
    }
    segments[read->size()] = SIM_DxfSegment{};
    *count = static_cast<uint32_t>(read->size());
    return 0;
  } catch (...) {
    return 1;
  }
}

}  // extern "C"
