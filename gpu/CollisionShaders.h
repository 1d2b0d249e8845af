#pragma once
// The stock check's wrappers: one per kind of non-cutting part profile and
// the hull pre-filter, each with its pass and slot uniforms and the profile
// dimensions that size the sweep box, looked up once.
#include <cstdint>
#include <string_view>

#include "gpu/BaseToolShader.h"

namespace gpu {

class BaseCollisionShader : public BaseToolShader {
 public:
  explicit BaseCollisionShader(std::string_view computeName);
  GLint proximityMode = -1, prevProximityMode = -1, collisionSlot = -1;
  GLint toolOffset = -1, toolLength = -1, toolWidestRadius = -1;
};

// The wrapper names: passes 1 and 2 of parts with arcs (kind 8), of
// straight non-convex parts (7), of straight convex parts (6), and pass 0
// of every part.
inline constexpr std::string_view kCollisionArcShader = "Shaders\\solidCollisionCheck.comp";
inline constexpr std::string_view kCollisionNoArcShader = "Shaders\\solidCollisionCheckNoArc.comp";
inline constexpr std::string_view kCollisionConvexShader = "Shaders\\solidCollisionCheckConvexNoArc.comp";
inline constexpr std::string_view kCollisionHullShader = "Shaders\\solidCollisionCheckPosConvex.comp";

}  // namespace gpu
