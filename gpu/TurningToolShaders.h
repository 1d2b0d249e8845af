#pragma once
// The cut wrappers of turning inserts: the Z rays (one column each, with the
// quarter-grid symmetry switch) and the X and Y rays (layers across the
// lathe axis), plus the part-off that clears what an empty layer separated.
// Each looks up its own uniforms once.
#include "gpu/BaseToolShader.h"

namespace gpu {

// What both turning cuts read of the insert: its bounding rectangle.
class BaseTurningShader : public BaseToolShader {
 public:
  explicit BaseTurningShader(std::string_view computeName);
  GLint toolOffset = -1, toolDimension = -1, toolColorIndex = -1;
};

class BaseTurningZShader : public BaseTurningShader {
 public:
  explicit BaseTurningZShader(std::string_view computeName);
  GLint symmetryOpt = -1;
};

class TurningToolZShader : public BaseTurningZShader {
 public:
  TurningToolZShader();
};

class TurningToolXYShader : public BaseTurningShader {
 public:
  TurningToolXYShader();
};

class PartingPlaneShader : public Shader {
 public:
  PartingPlaneShader();
  GLint resolution = -1, partingAxis = -1;
};

}  // namespace gpu
