#include "stock/MillCut.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "gpu/BaseToolShader.h"
#include "gpu/Dispatch.h"
#include "gpu/PolygonToolShaders.h"
#include "gpu/UniformName.h"
#include "common/SweepBox.h"

namespace stock {

namespace {

// The six mill shaders; the extruded-polygon family has wrappers of its own.
const char* millShaderOf(uint32_t shape) {
  switch (shape) {
    case tools::kShapeFlat: return "Shaders\\flatMill.comp";
    case tools::kShapeBall: return "Shaders\\ballMill.comp";
    case tools::kShapeBullNose: return "Shaders\\bullNoseMill.comp";
    case tools::kShapeConvex: return "Shaders\\ConvexMill.comp";
    case tools::kShapeCustom: return "Shaders\\customMill.comp";
    case tools::kShapeClosed: return "Shaders\\ClosedMill.comp";
    default: return nullptr;
  }
}

// The shape whose shader cuts the record: its own, except for a turned
// profile on a tilted part axis.
uint32_t cutShapeOf(const tools::CutRecord& tool) {
  return tool.shape == tools::kShapeExtruded && tool.turnedShape != 0 ? tool.turnedShape : tool.shape;
}

// The tool's program, bound, with its own uniforms set; null for shapes that
// do not mill.
std::unique_ptr<gpu::BaseToolShader> toolProgram(const tools::CutRecord& tool, uint32_t colourIndex, double radius,
                                                 double length) {
  if (cutShapeOf(tool) == tools::kShapeExtruded && tool.polygonSides >= 3) {
    auto program = std::make_unique<gpu::PolygonToolZShader>();
    program->use();
    glUniform1ui(program->toolColorIndex, colourIndex);
    glUniform1ui(program->polygonSides, tool.polygonSides);
    return program;
  }
  if (cutShapeOf(tool) == tools::kShapeExtruded && tool.convexPolygon) {
    auto program = std::make_unique<gpu::PolygonToolXYShader>();
    program->use();
    uint32_t segments = 0;
    std::memcpy(&segments, tool.profile.data(), sizeof segments);
    glUniform1f(program->toolDimension, tool.extrusionDepth);
    glUniform1f(program->toolOffset, tool.extrusionStart);
    glUniform1ui(program->toolColorIndex, colourIndex);
    glUniform1ui(program->polygonSides, segments + 1);
    return program;
  }
  if (cutShapeOf(tool) == tools::kShapeExtruded) {
    auto program = std::make_unique<gpu::CustomExtrudeToolShader>();
    program->use();
    glUniform1f(program->toolDimension, tool.extrusionDepth);
    glUniform1f(program->toolOffset, tool.extrusionStart);
    glUniform1ui(program->toolColorIndex, colourIndex);
    return program;
  }
  const char* shader = millShaderOf(cutShapeOf(tool));
  if (!shader) return nullptr;
  auto program = std::make_unique<gpu::BaseToolShader>(shader);
  program->use();
  const GLuint id = program->program();
  glUniform1f(gpu::uniformLocation(id, "ToolLength"), static_cast<float>(length));
  glUniform1f(gpu::uniformLocation(id, cutShapeOf(tool) == tools::kShapeBall ? "BallRadius" : "ToolRadius"),
              static_cast<float>(radius));
  glUniform1f(gpu::uniformLocation(id, "BaseRadius"), tool.p1);
  glUniform1f(gpu::uniformLocation(id, "PipeRadius"), tool.p3);
  glUniform1f(gpu::uniformLocation(id, "ToolOffset"), tool.lowest);
  glUniform1f(gpu::uniformLocation(id, "ToolWidestRadius"), tool.widest);
  glUniform1ui(gpu::uniformLocation(id, "ToolColorIndex"), colourIndex);
  return program;
}

bool usesProfileBlock(uint32_t shape) {
  return shape != tools::kShapeFlat && shape != tools::kShapeBall && shape != tools::kShapeBullNose;
}

template <typename T>
void upload(std::optional<gpu::SSBO>& buffer, const T* data, size_t count) {
  if (!buffer) buffer.emplace();
  buffer->reserve(std::max<uint64_t>(count * sizeof(T), 16));
  if (count == 0) return;
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer->id());
  glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(T)), data);
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
}

glm::dvec3 positionOf(const GPUMoveRecord& r) { return {r.x, r.y, r.z}; }
glm::dvec3 axisOf(const GPUMoveRecord& r) { return {r.i, r.j, r.k}; }

}  // namespace

uint64_t sweepRays(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end, const glm::dvec3& axis,
                   double radius, double length, double bottom) {
  const double scale = 1.0 / frame.exactCellSize;
  const glm::dvec3 a = glm::length(axis) > 0 ? glm::normalize(axis) : glm::dvec3(0, 0, 1);
  const contract::SweepBox box =
      contract::sweepBoxOf(glm::vec3(frame.toGrid(start)), glm::vec3(frame.toGrid(end)), glm::vec3(a),
                           static_cast<float>(radius * scale), static_cast<float>(bottom * scale),
                           static_cast<float>(length * scale), HOST_SWEEP_PLUNGE_LIMIT);
  // One cell more on every side than the shaders' own box: the two round
  // differently.
  glm::dvec3 lo = glm::dvec3(box.lo) - 1.0, hi = glm::dvec3(box.hi) + 1.0;
  const glm::dvec3 last = glm::dvec3(frame.nodes) - 1.0;
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(lo[k]) || !std::isfinite(hi[k])) return 0;  // a move to nowhere cuts nothing
  if (glm::any(glm::lessThan(hi, glm::dvec3(0.0))) || glm::any(glm::greaterThan(lo, last))) return 0;
  lo = glm::clamp(glm::floor(lo), glm::dvec3(0.0), last);
  hi = glm::clamp(glm::ceil(hi), glm::dvec3(0.0), last);
  const glm::dvec3 n = hi - lo + 1.0;
  return static_cast<uint64_t>(n.y * n.z + n.x * n.z + n.x * n.y);
}

MillCut::MillCut(MillCut&& other) noexcept
    : chunkIndex_(std::move(other.chunkIndex_)),
      records_(std::move(other.records_)),
      reportBits_(std::move(other.reportBits_)),
      profileBlock_(std::exchange(other.profileBlock_, std::nullopt)),
      reportWords_(std::move(other.reportWords_)),
      reported_(std::move(other.reported_)) {}

MillCut& MillCut::operator=(MillCut&& other) noexcept {
  if (this != &other) {
    if (profileBlock_) glDeleteBuffers(1, &*profileBlock_);
    chunkIndex_ = std::move(other.chunkIndex_);
    records_ = std::move(other.records_);
    reportBits_ = std::move(other.reportBits_);
    profileBlock_ = std::exchange(other.profileBlock_, std::nullopt);
    reportWords_ = std::move(other.reportWords_);
    reported_ = std::move(other.reported_);
  }
  return *this;
}

MillCut::~MillCut() {
  if (profileBlock_) glDeleteBuffers(1, &*profileBlock_);
}

void MillCut::clearReport() {
  reported_.clear();
  reportWords_.clear();
  if (reportBits_) reportBits_->fill(0u);
}

void MillCut::cut(StockGrid& grid, std::span<const GPUMoveRecord> records, uint32_t firstEnd, uint32_t endEnd,
                  const tools::CutRecord& tool, uint32_t colourIndex, const CutSwitches& switches,
                  const std::optional<PartialMove>& partial) {
  const bool mills = millShaderOf(tool.shape) || tool.shape == tools::kShapeExtruded;
  if (!tool.valid || !mills || !grid.buffersReady() || records.empty()) return;
  firstEnd = std::max(firstEnd, 1u);
  endEnd = std::min<uint32_t>(endEnd, static_cast<uint32_t>(records.size()));
  const GridFrame& frame = grid.frame();
  const double radius = std::max(tool.outerRadius, tool.widest), length = std::max(tool.p2, tool.highest);
  const double bottom = std::min(0.0f, tool.lowest);

  // Entry k: the chunks of the moves ending before record k; one more entry
  // closes the last move.
  std::vector<uint32_t> index(records.size() + 1, 0);
  uint64_t total = 0;
  for (size_t k = 1; k < records.size(); ++k) {
    index[k] = static_cast<uint32_t>(total);
    if (k < firstEnd || k >= endEnd) continue;
    // A continuation record starts its move with the end's axis.
    const glm::dvec3 startAxis = (records[k - 1].type & 63u) == (kMoveMarked | kContinuation) ? axisOf(records[k])
                                                                                              : axisOf(records[k - 1]);
    const uint64_t rays = sweepRays(frame, positionOf(records[k - 1]), positionOf(records[k]),
                                    startAxis + axisOf(records[k]), radius, length, bottom);
    total += (rays + kInvocationsPerChunk - 1) / kInvocationsPerChunk;
  }
  index[records.size()] = static_cast<uint32_t>(total);
  const uint32_t first = index[firstEnd];
  const uint32_t end = static_cast<uint32_t>(total);
  uint32_t extra = 0;
  if (partial)
    extra = static_cast<uint32_t>(
        (sweepRays(frame, partial->start, partial->end, glm::dvec3(partial->axisFrom + partial->axisTo), radius, length,
                   bottom) +
         kInvocationsPerChunk - 1) /
        kInvocationsPerChunk);
  if (end == first && extra == 0) return;

  upload(chunkIndex_, index.data(), index.size());
  upload(records_, records.data(), records.size());
  const size_t reportWordCount = (records.size() + 31) / 32;
  if (!reportBits_ || reportBits_->size() < reportWordCount * 4) {
    std::vector<uint32_t> zeros(reportWordCount, 0);
    if (reportBits_) {
      const std::vector<uint32_t> kept = gpu::readBackAll<uint32_t>(*reportBits_);
      std::copy(kept.begin(), kept.end(), zeros.begin());
    }
    if (!reportBits_) reportBits_.emplace();
    reportBits_->resize(reportWordCount * 4);
    upload(reportBits_, zeros.data(), zeros.size());
  }

  const std::unique_ptr<gpu::BaseToolShader> program = toolProgram(tool, colourIndex, radius, length);
  gpu::ToolShaderParams params;
  params.invocationsPerChunk = kInvocationsPerChunk;
  params.nodeCounts = {frame.nodes.x, frame.nodes.y, frame.nodes.z};
  params.paddedNodeCounts = {frame.padded.x, frame.padded.y, frame.padded.z};
  params.elementCount = static_cast<uint32_t>(index.size());
  std::copy_n(glm::value_ptr(frame.worldToGrid), 16, params.toolpathToGrid.begin());
  params.toolScale = frame.inverseCellSize;
  params.applyRapidMoves = switches.applyRapidMoves;
  params.reportRapidMoves = switches.reportRapidMoves;
  params.stoppedSpindleMode = switches.stoppedSpindleMode;
  params.reportSpindleStoppedMoves = switches.reportSpindleStoppedMoves;
  params.apply(*program);
  const gpu::ToolUniformLocations& at = program->locations();
  if (usesProfileBlock(cutShapeOf(tool))) {
    if (!profileBlock_) {
      profileBlock_.emplace();
      glGenBuffers(1, &*profileBlock_);
    }
    glBindBuffer(GL_UNIFORM_BUFFER, *profileBlock_);
    glBufferData(GL_UNIFORM_BUFFER, tool.profile.size(), tool.profile.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    glBindBufferBase(GL_UNIFORM_BUFFER, 8, *profileBlock_);
  }
  if (partial) {
    glUniform1ui(at.extraElemType, partial->type);
    glUniform3fv(at.extraElemStart, 1, glm::value_ptr(partial->start));
    glUniform3fv(at.extraElemEnd, 1, glm::value_ptr(partial->end));
    glUniform3fv(at.extraElemToolDirFrom, 1, glm::value_ptr(partial->axisFrom));
    glUniform3fv(at.extraElemToolDirTo, 1, glm::value_ptr(partial->axisTo));
  }
  chunkIndex_->bindBase(0);
  records_->bindBase(1);
  grid.nodeWords().bindBase(2);
  grid.signField().bindBase(3);
  reportBits_->bindBase(4);

  // Pieces of at most 65,535 chunks; the last one runs on into the partial move.
  const uint32_t groupsPerChunk = kInvocationsPerChunk / 128;
  for (uint32_t start = first; start < end || (start == end && extra > 0);) {
    const uint32_t stop = std::min<uint64_t>(end, uint64_t{start} + gpu::kMaxChunksPerDispatch);
    const bool last = stop == end;
    const uint32_t extraHere = last ? extra : 0;
    const uint32_t chunks = std::min<uint64_t>(stop - start + extraHere, gpu::kMaxChunksPerDispatch);
    glUniform1ui(at.invocationChunkOffset, start);
    glUniform1ui(at.invocationChunkEnd, stop);
    glUniform1ui(at.invocationChunkExtraEnd, start + chunks);
    gpu::dispatch1D(chunks * groupsPerChunk / program->chunkDivisor());
    gpu::storageBarrier();
    if (last) {
      // Partial chunks beyond one dispatch follow in pieces of their own.
      for (uint32_t done = chunks - (stop - start); done < extraHere;) {
        const uint32_t more = std::min<uint32_t>(extraHere - done, gpu::kMaxChunksPerDispatch);
        glUniform1ui(at.invocationChunkOffset, stop + done);
        glUniform1ui(at.invocationChunkExtraEnd, stop + done + more);
        gpu::dispatch1D(more * groupsPerChunk);
        gpu::storageBarrier();
        done += more;
      }
      break;
    }
    start = stop;
  }

  // The report is stored only when it changed.
  std::vector<uint32_t> words = gpu::readBack<uint32_t>(*reportBits_, 0, reportWordCount);
  if (words != reportWords_) {
    reportWords_ = std::move(words);
    reported_.clear();
    for (size_t w = 0; w < reportWords_.size(); ++w)
      for (uint32_t bit = 0; bit < 32; ++bit)
        if (reportWords_[w] & (1u << (31 - bit))) reported_.push_back(static_cast<uint32_t>(w * 32 + bit));
  }
}

}  // namespace stock
