#include "stock/MillPrograms.h"

#include <algorithm>
#include <cstring>

#include "gpu/PolygonToolShaders.h"

namespace stock {

// A program with the locations of every tool uniform a mill shader may
// declare; -1 for those it does not.
struct MillPrograms::Program {
  std::unique_ptr<gpu::BaseToolShader> shader;
  GLint toolLength = -1, toolRadius = -1, ballRadius = -1, baseRadius = -1, pipeRadius = -1;
  GLint toolOffset = -1, toolWidestRadius = -1, toolColorIndex = -1, toolDimension = -1, polygonSides = -1;

  explicit Program(std::unique_ptr<gpu::BaseToolShader> made) : shader(std::move(made)) {
    const gpu::BaseToolShader& s = *shader;
    toolLength = s.location("ToolLength");
    toolRadius = s.location("ToolRadius");
    ballRadius = s.location("BallRadius");
    baseRadius = s.location("BaseRadius");
    pipeRadius = s.location("PipeRadius");
    toolOffset = s.location("ToolOffset");
    toolWidestRadius = s.location("ToolWidestRadius");
    toolColorIndex = s.location("ToolColorIndex");
    toolDimension = s.location("ToolDimension");
    polygonSides = s.location("PolygonSides");
  }
};

namespace {

// The shape whose shader cuts the record: its own, except for a turned
// profile on a tilted part axis.
uint32_t cutShapeOf(const tools::CutRecord& tool) {
  return tool.shape == tools::kShapeExtruded && tool.turnedShape != 0 ? tool.turnedShape : tool.shape;
}

const char* millShaderOf(int kind) {
  switch (kind) {
    case 0: return "Shaders\\flatMill.comp";
    case 1: return "Shaders\\ballMill.comp";
    case 2: return "Shaders\\bullNoseMill.comp";
    case 3: return "Shaders\\ConvexMill.comp";
    case 4: return "Shaders\\customMill.comp";
    case 5: return "Shaders\\ClosedMill.comp";
    default: return nullptr;
  }
}

}  // namespace

ToolReach reachOf(const tools::CutRecord& tool) {
  return {std::max(tool.outerRadius, tool.widest), std::min(0.0f, tool.lowest), std::max(tool.p2, tool.highest)};
}

MillPrograms::MillPrograms() = default;
MillPrograms::~MillPrograms() = default;

int MillPrograms::kindOf(const tools::CutRecord& tool) {
  switch (cutShapeOf(tool)) {
    case tools::kShapeFlat: return kFlat;
    case tools::kShapeBall: return kBall;
    case tools::kShapeBullNose: return kBullNose;
    case tools::kShapeConvex: return kConvexProfile;
    case tools::kShapeCustom: return kCustomProfile;
    case tools::kShapeClosed: return kClosedProfile;
    case tools::kShapeExtruded:
      if (tool.polygonSides >= 3) return kPolygonZ;
      return tool.convexPolygon ? kPolygonXY : kExtruded;
    default: return kKinds;
  }
}

bool MillPrograms::usesProfileBlock(const tools::CutRecord& tool) {
  const int kind = kindOf(tool);
  return kind != kFlat && kind != kBall && kind != kBullNose && kind != kKinds;
}

MillPrograms::Program& MillPrograms::program(int kind) {
  std::unique_ptr<Program>& slot = programs_[kind];
  if (!slot) {
    std::unique_ptr<gpu::BaseToolShader> shader;
    if (kind == kExtruded)
      shader = std::make_unique<gpu::CustomExtrudeToolShader>();
    else if (kind == kPolygonXY)
      shader = std::make_unique<gpu::PolygonToolXYShader>();
    else if (kind == kPolygonZ)
      shader = std::make_unique<gpu::PolygonToolZShader>();
    else
      shader = std::make_unique<gpu::BaseToolShader>(millShaderOf(kind));
    slot = std::make_unique<Program>(std::move(shader));
  }
  return *slot;
}

const gpu::BaseToolShader* MillPrograms::bind(const tools::CutRecord& tool, uint32_t colourIndex) {
  const int kind = kindOf(tool);
  if (!tool.valid || kind == kKinds) return nullptr;
  const Program& p = program(kind);
  p.shader->use();
  const ToolReach reach = reachOf(tool);
  glUniform1ui(p.toolColorIndex, colourIndex);
  switch (kind) {
    case kPolygonZ:
      glUniform1ui(p.polygonSides, tool.polygonSides);
      break;
    case kPolygonXY: {
      uint32_t segments = 0;
      std::memcpy(&segments, tool.profile.data(), sizeof segments);
      glUniform1f(p.toolDimension, tool.extrusionDepth);
      glUniform1f(p.toolOffset, tool.extrusionStart);
      glUniform1ui(p.polygonSides, segments + 1);
      break;
    }
    case kExtruded:
      glUniform1f(p.toolDimension, tool.extrusionDepth);
      glUniform1f(p.toolOffset, tool.extrusionStart);
      break;
    default:
      glUniform1f(p.toolLength, static_cast<float>(reach.top));
      glUniform1f(kind == kBall ? p.ballRadius : p.toolRadius, static_cast<float>(reach.radius));
      glUniform1f(p.baseRadius, tool.p1);
      glUniform1f(p.pipeRadius, tool.p3);
      glUniform1f(p.toolOffset, tool.lowest);
      glUniform1f(p.toolWidestRadius, tool.widest);
      break;
  }
  return p.shader.get();
}

}  // namespace stock
