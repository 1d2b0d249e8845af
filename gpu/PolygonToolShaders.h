#pragma once
// The cut wrappers of the extruded-polygon family: a profile extruded across
// its plane (any shape, or convex with straight sides) and a tool whose
// levels are regular polygons. Each looks up its tool uniforms once.
#include "gpu/BaseToolShader.h"

namespace gpu {

class CustomExtrudeToolShader : public BaseToolShader {
 public:
  CustomExtrudeToolShader();
  GLint toolDimension = -1, toolOffset = -1, toolColorIndex = -1;
};

class PolygonToolXYShader : public BaseToolShader {
 public:
  PolygonToolXYShader();
  GLint toolDimension = -1, toolOffset = -1, toolColorIndex = -1, polygonSides = -1;
};

class PolygonToolZShader : public BaseToolShader {
 public:
  PolygonToolZShader();
  GLint toolColorIndex = -1, polygonSides = -1;
};

}  // namespace gpu
