#include "machine/GeometryKey.h"

#include <bit>

#include "common/Fnv1a.h"

namespace machine {
namespace {

// FNV-1a over the four bytes of a word, lowest byte first.
uint64_t wordHash(uint32_t word) {
  uint64_t hash = common::kFnvOffsetBasis;
  for (int byte = 0; byte < 4; ++byte) {
    hash ^= (word >> (8 * byte)) & 0xffu;
    hash *= common::kFnvPrime;
  }
  return hash;
}

uint64_t coordinateHash(float c) { return wordHash(c == 0.0f ? 0u : std::bit_cast<uint32_t>(c)); }

}  // namespace

uint64_t geometryKey(std::span<const glm::vec3> vertices, std::span<const uint32_t> indices) {
  uint64_t hx = 17, hy = 17, hz = 17;
  for (const glm::vec3& v : vertices) {
    hx = hx * 31 + coordinateHash(v.x);
    hy = hy * 31 + coordinateHash(v.y);
    hz = hz * 31 + coordinateHash(v.z);
  }
  uint64_t h = (hx * 31 + hy) * 31 + hz;
  for (uint32_t k : indices) h = h * 31 + wordHash(k);
  return h == 0 ? 1 : h;
}

}  // namespace machine
