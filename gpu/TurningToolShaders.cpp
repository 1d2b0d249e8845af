#include "gpu/TurningToolShaders.h"

namespace gpu {

BaseTurningShader::BaseTurningShader(std::string_view computeName) : BaseToolShader(computeName) {
  toolOffset = location("ToolOffset");
  toolDimension = location("ToolDimension");
  toolColorIndex = location("ToolColorIndex");
}

BaseTurningZShader::BaseTurningZShader(std::string_view computeName) : BaseTurningShader(computeName) {
  symmetryOpt = location("SymmetryOpt");
}

TurningToolZShader::TurningToolZShader() : BaseTurningZShader("Shaders\\turningZ.comp") {}

TurningToolXYShader::TurningToolXYShader() : BaseTurningShader("Shaders\\turningXY.comp") {}

PartingPlaneShader::PartingPlaneShader() : Shader("Shaders\\PartingPlane.comp") {
  resolution = location("Resolution");
  partingAxis = location("PartingAxis");
}

}  // namespace gpu
