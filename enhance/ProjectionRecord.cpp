#include "enhance/ProjectionRecord.h"

#include <algorithm>
#include <cmath>

namespace enhance {
namespace {

constexpr double kDisplacementScale = 100000.0;
constexpr double kDisplacementBias = 524288.0;
constexpr double kNormalScale = 2047.5;
constexpr double kDistanceLimit = 214.0;
constexpr double kDistanceScale = 10000000.0;

uint32_t displacementField(double d) {
  return static_cast<uint32_t>(std::clamp(std::floor(d * kDisplacementScale + kDisplacementBias + 0.5), 0.0, 1048575.0));
}
uint32_t normalField(double n) { return static_cast<uint32_t>(std::clamp(std::floor((n + 1.0) * kNormalScale + 0.5), 0.0, 4095.0)); }

}  // namespace

ProjectionWords encodeProjection(const Projection& p) {
  const uint32_t dx = displacementField(p.displacement.x), dy = displacementField(p.displacement.y),
                 dz = displacementField(p.displacement.z);
  const uint32_t nx = normalField(p.normal.x), ny = normalField(p.normal.y), nz = normalField(p.normal.z);
  return {(dx << 12) | (dy >> 8), ((dy & 0xFFu) << 24) | (dz << 4) | (nx >> 8), ((nx & 0xFFu) << 24) | (ny << 12) | nz,
          static_cast<uint32_t>(p.source)};
}

Projection decodeProjection(const ProjectionWords& w) {
  const glm::dvec3 d(w[0] >> 12, ((w[0] & 0xFFFu) << 8) | (w[1] >> 24), (w[1] >> 4) & 0xFFFFFu);
  const glm::dvec3 n(((w[1] & 0xFu) << 8) | (w[2] >> 24), (w[2] >> 12) & 0xFFFu, w[2] & 0xFFFu);
  return {(d - kDisplacementBias) / kDisplacementScale, n / kNormalScale - 1.0, static_cast<int32_t>(w[3])};
}

int32_t encodeDistance(double distance) {
  if (std::isnan(distance)) distance = -kDistanceLimit;  // loses to every real candidate
  return static_cast<int32_t>(std::lround(-std::clamp(distance, -kDistanceLimit, kDistanceLimit) * kDistanceScale));
}

double decodeDistance(int32_t encoded) { return -encoded / kDistanceScale; }

}  // namespace enhance
