#include "platform/FrameScaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

constexpr float kMostScale = 4.0f;

// The source cells [first, last) that target cell i of count covers along
// an edge of sourceCount cells; never empty.
struct Span {
  int first;
  int last;
};

Span coveredCells(int i, int count, int sourceCount) {
  const int64_t first = static_cast<int64_t>(i) * sourceCount / count;
  const int64_t last = static_cast<int64_t>(i + 1) * sourceCount / count;
  const int begin = static_cast<int>(std::min<int64_t>(first, sourceCount - 1));
  return {begin, std::max(begin + 1, static_cast<int>(last))};
}

}  // namespace

float offscreenRenderScale(float setting) {
  if (!(setting > 0.0f)) return 1.0f;  // also NaN
  return std::min(setting, kMostScale);
}

int scaledEdge(int edge, float scale) {
  return std::max(1, static_cast<int>(std::lround(static_cast<double>(edge) * scale)));
}

void flipAndResample(std::span<const uint8_t> source, int sourceWidth, int sourceHeight, std::span<uint8_t> target,
                     int width, int height) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) return;
  const size_t sourceRow = static_cast<size_t>(sourceWidth) * 4;
  const size_t targetRow = static_cast<size_t>(width) * 4;
  if (source.size() < sourceRow * static_cast<size_t>(sourceHeight) || target.size() < targetRow * static_cast<size_t>(height))
    return;
  if (sourceWidth == width && sourceHeight == height) {
    // OpenGL rows run bottom-up, X11 images top-down.
    for (int y = 0; y < height; ++y)
      std::memcpy(target.data() + static_cast<size_t>(y) * targetRow,
                  source.data() + static_cast<size_t>(height - 1 - y) * sourceRow, targetRow);
    return;
  }
  for (int y = 0; y < height; ++y) {
    const Span rows = coveredCells(y, height, sourceHeight);
    uint8_t* out = target.data() + static_cast<size_t>(y) * targetRow;
    for (int x = 0; x < width; ++x) {
      const Span columns = coveredCells(x, width, sourceWidth);
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int row = rows.first; row < rows.last; ++row) {
        // Target row y counts from the top, source rows from the bottom.
        const uint8_t* in = source.data() + static_cast<size_t>(sourceHeight - 1 - row) * sourceRow;
        for (int column = columns.first; column < columns.last; ++column)
          for (int c = 0; c < 4; ++c) sum[c] += in[static_cast<size_t>(column) * 4 + c];
      }
      const uint32_t count = static_cast<uint32_t>((rows.last - rows.first) * (columns.last - columns.first));
      for (int c = 0; c < 4; ++c) out[static_cast<size_t>(x) * 4 + c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
    }
  }
}

}  // namespace platform
