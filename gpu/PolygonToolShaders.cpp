#include "gpu/PolygonToolShaders.h"

namespace gpu {

CustomExtrudeToolShader::CustomExtrudeToolShader() : BaseToolShader("Shaders\\CustomExtrude.comp") {
  toolDimension = location("ToolDimension");
  toolOffset = location("ToolOffset");
  toolColorIndex = location("ToolColorIndex");
}

PolygonToolXYShader::PolygonToolXYShader() : BaseToolShader("Shaders\\polygonXY.comp") {
  toolDimension = location("ToolDimension");
  toolOffset = location("ToolOffset");
  toolColorIndex = location("ToolColorIndex");
  polygonSides = location("PolygonSides");
}

PolygonToolZShader::PolygonToolZShader() : BaseToolShader("Shaders\\polygonZ.comp") {
  toolColorIndex = location("ToolColorIndex");
  polygonSides = location("PolygonSides");
}

}  // namespace gpu
