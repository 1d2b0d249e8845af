#include "stock/DesignField.h"

#include <algorithm>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace stock {

namespace {

constexpr uint32_t kUnset = 0x7FFFFFFF;
// Rays two cells around a triangle see every node within a cell of it.
constexpr int kSeedGrowth = 2;
// The front list: each round lists a node once at most, and a round's list
// and the next fit in twice the nodes; no more than this many entries.
constexpr uint64_t kMostFrontEntries = uint64_t{1} << 27;

GLuint useProgram(const char* name) {
  const GLuint program = gpu::computeProgram(name);
  glUseProgram(program);
  return program;
}

void setUint(GLuint program, const char* name, uint64_t value) {
  glUniform1ui(gpu::uniformLocation(program, name), static_cast<GLuint>(value));
}

void counterBarrier() { glMemoryBarrier(GL_ALL_BARRIER_BITS); }

}  // namespace

uint32_t DesignField::roundLimit(const GridFrame& frame) {
  return 4 * std::max({frame.nodes.x, frame.nodes.y, frame.nodes.z}) + 16;
}

uint64_t DesignField::bytes() const {
  uint64_t total = 0;
  for (const auto* buffer : {&distances_, &triangles_, &front_, &queued_, &counter_})
    if (*buffer) total += (*buffer)->size();
  return total;
}

void DesignField::release() {
  distances_.reset();
  triangles_.reset();
  front_.reset();
  queued_.reset();
  counter_.reset();
  ready_ = false;
}

uint32_t DesignField::frontPercent(uint32_t rounds) {
  return static_cast<uint32_t>(31 + 68 - 68 / (1 + 0.1 * rounds));
}

bool DesignField::seed(const GridFrame& frame, const Progress& progress) {
  if (progress) progress(Phase::Seeding, 0);
  const std::optional<uint64_t> chunks = mesh_.splitWork(frame, toGrid_, kSeedGrowth);
  if (!chunks) return false;
  const GLuint program = useProgram("Shaders\\TriangleDistsDF.comp");
  mesh_.setUniforms(program, frame, toGrid_);
  glUniform1i(gpu::uniformLocation(program, "Expand"), kSeedGrowth);
  mesh_.bind();
  distances_->bindBase(0);
  triangles_->bindBase(1);
  for (uint32_t pass = 0; pass < 2; ++pass) {
    setUint(program, "SeedPass", pass);
    mesh_.dispatchChunks(program, *chunks);
    if (progress) progress(Phase::Seeding, 50 * (pass + 1));
  }
  return true;
}

DesignField::Build DesignField::spread(const GridFrame& frame, const Progress& progress) {
  Build result;
  if (progress) progress(Phase::WaveFront, 30);
  const uint64_t nodes = frame.nodeCount();
  counter_->fill(0u);
  counterBarrier();
  GLuint program = useProgram("Shaders\\InitialWaveFront.comp");
  mesh_.setUniforms(program, frame, toGrid_);
  setUint(program, "ListCapacity", capacity_);
  mesh_.bind();
  distances_->bindBase(0);
  triangles_->bindBase(1);
  front_->bindBase(6);
  queued_->bindBase(7);
  glBindBufferBase(GL_ATOMIC_COUNTER_BUFFER, 5, counter_->id());
  gpu::dispatchInBatches(nodes, 256, gpu::uniformLocation(program, "InvocationOffset"));
  counterBarrier();
  uint64_t start = 0, end = gpu::readBack<uint32_t>(*counter_, 0, 1)[0];
  if (end > capacity_) return result;
  program = useProgram("Shaders\\PropagateWaveFront.comp");
  mesh_.setUniforms(program, frame, toGrid_);
  setUint(program, "ListCapacity", capacity_);
  const uint32_t limit = roundLimit(frame);
  while (end > start) {
    if (result.rounds == limit) return result;
    ++result.rounds;
    counter_->fill(0u);
    counterBarrier();
    // Positions stay below twice the capacity: start is taken modulo it.
    const uint64_t base = start % capacity_;
    setUint(program, "ListStart", base);
    setUint(program, "ListEnd", base + (end - start));
    setUint(program, "Round", result.rounds + 1);  // 1 marked the first front
    glBindBufferBase(GL_ATOMIC_COUNTER_BUFFER, 5, counter_->id());
    gpu::dispatchInBatches(end - start, 128, gpu::uniformLocation(program, "InvocationOffset"));
    counterBarrier();
    const uint64_t appended = gpu::readBack<uint32_t>(*counter_, 0, 1)[0];
    if (appended + (end - start) > capacity_) return result;  // the list would overrun itself
    if (progress) progress(Phase::WaveFront, frontPercent(result.rounds));
    start = end;
    end += appended;
  }
  result.complete = true;
  return result;
}

DesignField::Build DesignField::build(const GridFrame& frame, const std::shared_ptr<const StockMesh>& design,
                                      const glm::dmat4& placement, const Progress& progress) {
  ready_ = false;
  Build result;
  if (!design || design->empty() || !frame.valid()) return result;
  frame_ = frame;
  toGrid_ = glm::mat4(frame.exactWorldToGrid() * placement);
  mesh_.upload(design);
  const uint64_t nodes = frame.nodeCount();
  capacity_ = std::min<uint64_t>(2 * nodes, kMostFrontEntries);
  for (auto* buffer : {&distances_, &triangles_, &queued_}) {
    if (!*buffer) buffer->emplace();
    (*buffer)->resize(nodes * 4);
  }
  distances_->fill(kUnset);
  triangles_->fill(kUnset);
  queued_->fill(0u);
  if (!front_) front_.emplace();
  front_->resize(capacity_ * 4);
  if (!counter_) counter_.emplace();
  counter_->resize(16);
  if (!seed(frame, progress)) return result;
  // A design with no node near it (outside the lattice) gives no seeds.
  const std::vector<uint32_t> triangles = gpu::readBackAll<uint32_t>(*triangles_);
  result.seeded = static_cast<uint64_t>(std::count_if(triangles.begin(), triangles.end(),
                                                      [](uint32_t t) { return t != kUnset; }));
  if (result.seeded == 0) return result;
  const Build spreadResult = spread(frame, progress);
  if (progress) progress(Phase::WaveFront, 100);
  result.complete = spreadResult.complete;
  result.rounds = spreadResult.rounds;
  ready_ = result.complete;
  return result;
}

void DesignField::measure(GLuint vertices, uint32_t count, uint32_t stride, uint32_t positionOffset,
                          uint32_t distanceOffset) {
  if (!ready_ || count == 0) return;
  const GLuint program = useProgram("Shaders\\VertexColorsFromDF.comp");
  mesh_.setUniforms(program, frame_, toGrid_);
  mesh_.bind();
  distances_->bindBase(0);
  triangles_->bindBase(1);
  glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 8, vertices);
  setUint(program, "VertexCount", count);
  setUint(program, "VertexStride", stride);
  setUint(program, "PositionOffset", positionOffset);
  setUint(program, "DistanceOffset", distanceOffset);
  const glm::mat4 stockToField(frame_.exactWorldToGrid());
  glUniformMatrix4fv(gpu::uniformLocation(program, "StockToField"), 1, GL_FALSE, glm::value_ptr(stockToField));
  glUniform1f(gpu::uniformLocation(program, "DistanceScale"), static_cast<float>(frame_.exactCellSize));
  gpu::dispatchInBatches(count, 128, gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

}  // namespace stock
