#pragma once
// The inside flags of all nodes, stored three times: once along x rays, once
// along y rays, once along z rays, each ray starting on a word boundary so
// that its flags are consecutive bits. A node is inside only when its bit is
// set in all three copies; cuts clear bits only in the copy of the ray
// direction they work along.
#include <cstdint>
#include <span>

#include "stock/GridFrame.h"

namespace stock {

class SignField {
 public:
  explicit SignField(const GridFrame& frame) : g_(frame.nodes), p_(frame.padded) {}

  uint64_t wordsPerRay(int axis) const { return p_[axis] / 32; }
  // First word of each copy: X rays by (y, z), Y rays by (z, x), Z rays by (x, y).
  uint64_t copyStart(int axis) const {
    const uint64_t ax = uint64_t{g_.y} * g_.z * wordsPerRay(0);
    const uint64_t ay = uint64_t{g_.x} * g_.z * wordsPerRay(1);
    return axis == 0 ? 0 : axis == 1 ? ax : ax + ay;
  }
  uint64_t wordCount() const { return copyStart(2) + uint64_t{g_.x} * g_.y * wordsPerRay(2); }

  // Ray number of node (x, y, z) within its copy of axis.
  uint64_t ray(int axis, uint32_t x, uint32_t y, uint32_t z) const {
    switch (axis) {
      case 0: return uint64_t{y} * g_.z + z;
      case 1: return uint64_t{z} * g_.x + x;
      default: return uint64_t{x} * g_.y + y;
    }
  }
  uint64_t wordIndex(int axis, uint32_t x, uint32_t y, uint32_t z) const {
    const uint32_t along = axis == 0 ? x : axis == 1 ? y : z;
    return copyStart(axis) + ray(axis, x, y, z) * wordsPerRay(axis) + along / 32;
  }
  static uint32_t bit(uint32_t along) { return along % 32; }

  bool bitSet(std::span<const uint32_t> words, int axis, uint32_t x, uint32_t y, uint32_t z) const {
    const uint32_t along = axis == 0 ? x : axis == 1 ? y : z;
    return (words[wordIndex(axis, x, y, z)] >> bit(along)) & 1u;
  }
  // Inside in all three copies.
  bool inside(std::span<const uint32_t> words, uint32_t x, uint32_t y, uint32_t z) const {
    return bitSet(words, 0, x, y, z) && bitSet(words, 1, x, y, z) && bitSet(words, 2, x, y, z);
  }

 private:
  glm::uvec3 g_;
  glm::uvec3 p_;
};

}  // namespace stock
