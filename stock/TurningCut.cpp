#include "stock/TurningCut.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>
#include <glm/mat2x2.hpp>

#include "gpu/Dispatch.h"

namespace stock {

namespace {

constexpr uint32_t kRaysPerChunk = GPU_CUT_GROUP_SIZE;
constexpr uint32_t kLayersPerGroup = 128;  // as turningXY.comp takes them

glm::dvec3 positionOf(const toolpath::GPUMoveRecord& r) { return {r.x, r.y, r.z}; }
glm::dvec3 axisOf(const toolpath::GPUMoveRecord& r) { return {r.i, r.j, r.k}; }

// As the shaders place the insert: mirrored by the insert side after
// turning the radial direction onto the tool axis, in grid units.
glm::dmat2 outlineTransform(const glm::dvec3& axis, double flip, double scale) {
  const glm::dvec2 toward(flip * axis.z, axis.x);
  const double theta = glm::length(toward) < 1e-7 ? 0.0 : std::atan2(-toward.x, toward.y);
  const double c = std::cos(theta), s = std::sin(theta);
  return glm::dmat2(scale * flip, 0.0, 0.0, scale) * glm::dmat2(c, -s, s, c);
}

bool turnsAlongAxis(uint32_t type) {
  return (type & GPU_MOVE_KIND_MASK) != GPU_MOVE_MARKED || (type >> GPU_MOVE_BACK_SHIFT) != 0;
}

}  // namespace

bool isTurningShape(uint32_t shape) {
  return shape == tools::kShapeTurning || shape == tools::kShapeGrooving || shape == tools::kShapeThreading;
}

std::optional<LayerRange> turningLayers(const GridFrame& frame, const toolpath::GPUMoveRecord& from,
                                        const toolpath::GPUMoveRecord& to, const tools::CutRecord& tool) {
  const glm::dvec3 start = frame.toGrid(positionOf(from)), end = frame.toGrid(positionOf(to));
  glm::dvec3 axis = axisOf(from) + axisOf(to);
  axis = glm::length(axis) > 0 ? glm::normalize(axis) : glm::dvec3(0, 0, 1);
  const glm::dmat2 q = outlineTransform(axis, to.parameter > 0 ? -1.0 : 1.0, frame.inverseCellSize);
  glm::dvec2 lo(INFINITY), hi(-INFINITY);
  for (int corner = 0; corner < 4; ++corner) {
    const glm::dvec2 p = q * (glm::dvec2(tool.insertOffset[0], tool.insertOffset[1]) +
                              glm::dvec2(corner & 1, corner >> 1) *
                                  glm::dvec2(tool.insertSize[0], tool.insertSize[1]));
    for (const glm::dvec3& at : {start, end}) {
      lo = glm::min(lo, p + glm::dvec2(at.z, at.x));
      hi = glm::max(hi, p + glm::dvec2(at.z, at.x));
    }
  }
  if (!std::isfinite(lo.x) || !std::isfinite(hi.x) || !std::isfinite(lo.y) || !std::isfinite(hi.y)) return std::nullopt;
  const glm::dvec2 last(frame.nodes.z - 1.0, frame.nodes.x - 1.0);
  if (hi.x < -1 || hi.y < -1 || lo.x > last.x + 1 || lo.y > last.y + 1) return std::nullopt;
  return LayerRange{static_cast<uint32_t>(std::clamp(std::floor(lo.x) - 1, 0.0, last.x)),
                    static_cast<uint32_t>(std::clamp(std::ceil(hi.x) + 1, 0.0, last.x))};
}

uint32_t turningChunks(const GridFrame& frame, const toolpath::GPUMoveRecord& from, const toolpath::GPUMoveRecord& to,
                       const tools::CutRecord& tool, TurningPass pass, bool symmetric) {
  if (pass == TurningPass::ZRays && !turnsAlongAxis(to.type)) return 0;
  const std::optional<LayerRange> layers = turningLayers(frame, from, to, tool);
  if (!layers) return 0;
  if (pass == TurningPass::XYRays) return (layers->last - layers->first + kLayersPerGroup) / kLayersPerGroup;
  const glm::u64vec2 columns = symmetric ? (glm::u64vec2(frame.nodes.x, frame.nodes.y) + uint64_t{1}) / uint64_t{2}
                                         : glm::u64vec2(frame.nodes.x, frame.nodes.y);
  return static_cast<uint32_t>((columns.x * columns.y + kRaysPerChunk - 1) / kRaysPerChunk);
}

bool axisCentred(const GridFrame& frame) {
  const glm::dvec3 axis = frame.toGrid(glm::dvec3(0.0));
  return std::abs(axis.x - (frame.nodes.x - 1) / 2.0) < 1e-4 && std::abs(axis.y - (frame.nodes.y - 1) / 2.0) < 1e-4;
}

std::optional<uint32_t> partingAxisOf(const glm::dmat4& toolpathToGrid) {
  const glm::dvec3 along = glm::dmat3(toolpathToGrid) * glm::dvec3(0, 0, 1);
  if (glm::length(along) == 0) return std::nullopt;
  const glm::dvec3 axis = glm::normalize(along);
  for (uint32_t k = 0; k < 3; ++k) {
    const bool others = std::abs(axis[(k + 1) % 3]) <= 1e-7 && std::abs(axis[(k + 2) % 3]) <= 1e-7;
    if (others) return axis[k] > 0 ? k : k + 3;
  }
  return std::nullopt;
}

TurningCut::TurningCut() = default;
TurningCut::~TurningCut() = default;

const gpu::BaseToolShader* TurningCut::bind(TurningPass pass, const tools::CutRecord& tool, uint32_t colourIndex,
                                            bool symmetric) {
  if (!insert_) insert_.emplace();
  insert_->update(tool.profile);
  insert_->bindBase(GPU_PROFILE_BLOCK_BINDING);
  gpu::BaseTurningShader* program = nullptr;
  if (pass == TurningPass::ZRays) {
    if (!zRays_) zRays_ = std::make_unique<gpu::TurningToolZShader>();
    program = zRays_.get();
    program->use();
    glUniform1ui(zRays_->symmetryOpt, symmetric ? 1u : 0u);
  } else {
    if (!xyRays_) xyRays_ = std::make_unique<gpu::TurningToolXYShader>();
    program = xyRays_.get();
    program->use();
  }
  glUniform2f(program->toolOffset, tool.insertOffset[0], tool.insertOffset[1]);
  glUniform2f(program->toolDimension, tool.insertSize[0], tool.insertSize[1]);
  glUniform1ui(program->toolColorIndex, colourIndex);
  return program;
}

void TurningCut::partOff(StockGrid& grid) {
  const GridFrame& frame = grid.frame();
  const std::optional<uint32_t> axis = partingAxisOf(frame.exactWorldToGrid());
  if (!axis || !grid.buffersReady()) return;
  if (!parting_) parting_ = std::make_unique<gpu::PartingPlaneShader>();
  parting_->use();
  glUniform3ui(parting_->resolution, frame.nodes.x, frame.nodes.y, frame.nodes.z);
  glUniform1ui(parting_->partingAxis, *axis);
  grid.nodeWords().bindBase(GPU_LATTICE_NODE_WORDS_BINDING);
  grid.signField().bindBase(GPU_LATTICE_SIGN_FIELD_BINDING);
  glDispatchCompute(1, 1, 1);
  gpu::storageBarrier();
}

void TurningCut::release() {
  insert_.reset();
}

}  // namespace stock
