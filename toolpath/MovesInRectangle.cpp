#include "toolpath/MovesInRectangle.h"

#include <algorithm>
#include <cmath>

#include <glm/vec4.hpp>

namespace toolpath {

namespace {

bool isMoveEnd(float kind) {
  const float f = kind - std::floor(kind);
  return kind < LineKind::kHidden && f > 0.01f && f < 0.99f;
}

}  // namespace

std::vector<int32_t> movesInRectangle(const std::vector<LineVertex>& vertices, const RectangleQuery& query) {
  std::vector<int32_t> moves;
  for (const auto& [first, last] : query.spans) {
    if (first >= vertices.size()) continue;
    const uint32_t end = std::min<uint32_t>(last, static_cast<uint32_t>(vertices.size() - 1));
    for (uint32_t v = first; v <= end; ++v) {
      const LineVertex& vertex = vertices[v];
      if (!isMoveEnd(vertex.kind)) continue;
      if (!(vertex.kind < 0.5f ? query.rapids : query.feeds)) continue;
      const glm::dvec4 clip =
          query.toClip * glm::dvec4(vertex.position[0], vertex.position[1], vertex.position[2], 1.0);
      if (!(clip.w > 0.0) || std::abs(clip.z) > clip.w) continue;
      const glm::dvec2 at = (glm::dvec2(clip) / clip.w + 1.0) * 0.5;
      if (at.x < query.low.x || at.x > query.high.x || at.y < query.low.y || at.y > query.high.y) continue;
      moves.push_back(vertex.move);
    }
  }
  std::sort(moves.begin(), moves.end());
  moves.erase(std::unique(moves.begin(), moves.end()), moves.end());
  return moves;
}

}  // namespace toolpath
