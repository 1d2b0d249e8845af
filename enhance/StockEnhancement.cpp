#include "enhance/StockEnhancement.h"

#include <algorithm>
#include <vector>

#include "enhance/AlgoDispatch.h"
#include "enhance/CoincidentVertices.h"
#include "enhance/CreaseSplit.h"
#include "enhance/MeshSimplification.h"
#include "enhance/MeshWeld.h"
#include "enhance/ProjectionRecord.h"
#include "enhance/SurfacePlacement.h"
#include "enhance/SweepProjection.h"
#include "enhance/TurnedProfile.h"
#include "enhance/VertexNormals.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"
#include "gpu/UniformBuffer.h"
#include "gpu/UniformName.h"

namespace enhance {
namespace {

constexpr GLuint kColourTableBinding = 8;
constexpr GLuint kSweepColoursBinding = 6;
// A triangle is shaded smooth when its vertices' normals stay within this
// of its face (cos 30 degrees).
constexpr float kSmoothCosine = 0.866f;
// Edges are scored for collapse in steps of this part of a cell: fine
// enough that lengths a cell's marching cubes make stay apart.
constexpr double kScoreStepsPerCell = 64;
// A crease whose chamfer is shallower than this part of a cell is left.
constexpr float kLeastChamferPerCell = 32;

gpu::SSBO sweepColoursOf(const std::vector<uint8_t>& colours) {
  std::vector<uint32_t> words((colours.size() + 3) / 4 + 1, 0u);
  for (size_t i = 0; i < colours.size(); ++i) words[i / 4] |= uint32_t{colours[i]} << (8 * (i % 4));
  gpu::SSBO buffer(words.size() * 4);
  buffer.upload(words.data(), words.size() * 4);
  return buffer;
}

// The std140 block of 256 vec4 colours.
void fillColourTable(gpu::UniformBuffer& block, const std::array<uint32_t, 256>& colours) {
  std::array<float, 256 * 4> table{};
  for (size_t i = 0; i < colours.size(); ++i)
    for (int k = 0; k < 4; ++k) table[4 * i + k] = float((colours[i] >> (8 * k)) & 0xFFu) / 255.0f;
  block.update(std::span(reinterpret_cast<const uint8_t*>(table.data()), sizeof(table)));
}

// Stage 8: every triangle's colour, mixed ones by the vote of their vertices.
uint32_t colourTriangles(const EnhancementInput& input, EnhancedMesh& mesh) {
  const gpu::SSBO sweepColours = sweepColoursOf(input.sweeps.colours);
  gpu::UniformBuffer table;
  fillColourTable(table, input.colours);
  table.bindBase(kColourTableBinding);
  sweepColours.bindBase(kSweepColoursBinding);
  const auto common = [&](const char* name) {
    const GLuint program = useAlgoProgram(name);
    setUint(program, "initialColorIndex", input.initialColourIndex);
    mesh.projections.bindBase(0);
    mesh.triangles.bindBase(1);
    return program;
  };
  GLuint program = common("RecolorUniformTriangles.comp");
  mesh.attributes.bindBase(2);
  setUint(program, "nTriangles", mesh.triangleCount);
  runKernel(program, mesh.triangleCount);

  gpu::SSBO flags(uint64_t{mesh.triangleCount} * 4), sums(uint64_t{mesh.triangleCount} * 4);
  program = common("FlagMixedTriangles.comp");
  flags.bindBase(2);
  setUint(program, "nTriangles", mesh.triangleCount);
  runKernel(program, mesh.triangleCount);
  gpu::inclusivePrefixSum(flags, sums, mesh.triangleCount);  // the filter reads the sums alone
  const uint32_t mixed = gpu::readElement<uint32_t>(sums, mesh.triangleCount - 1);
  if (mixed > 0) {
    gpu::SSBO list(uint64_t{mixed} * 4);
    program = useAlgoProgram("FilterMixedTriangles.comp");
    sums.bindBase(0);
    list.bindBase(1);
    setUint(program, "nTriangles", mesh.triangleCount);
    runKernel(program, mesh.triangleCount);
    table.bindBase(kColourTableBinding);
    sweepColours.bindBase(kSweepColoursBinding);
    program = common("RecolorMixedTriangles.comp");
    mesh.attributes.bindBase(2);
    list.bindBase(3);
    setUint(program, "nMixed", mixed);
    runKernel(program, mixed);
  }
  glBindBufferBase(GL_UNIFORM_BUFFER, kColourTableBinding, 0);
  return mixed;
}

}  // namespace

std::unique_ptr<EnhancedMesh> enhanceStock(const EnhancementInput& input, const std::function<void(int)>& progress,
                                           EnhancementReport* report) {
  const auto say = [&](int percent) {
    if (progress) progress(percent);
  };
  if (report) *report = {};
  const auto stopped = [&] { return input.stop && input.stop->load(); };
  if (!input.surface || stopped()) return nullptr;
  // 2. The welded surface in the world.
  const stock::SurfaceExtraction::IndexedBuffers corners = input.surface->runIndexedMesh();
  if (corners.corners == 0) {
    input.surface->releaseIndexedBuffers();
    return nullptr;
  }
  auto mesh = std::make_unique<EnhancedMesh>(weldMesh(
      {corners.identifiers, corners.positions, corners.corners, input.surface->identifierBound()},
      input.frame.gridToWorld));
  input.surface->releaseIndexedBuffers();
  const uint32_t weldedTriangles = mesh->triangleCount;
  say(10);
  // 3. Vertex normals.
  const gpu::SSBO normals = vertexNormalsOf(*mesh);
  // 4. The initial stock, 5. the sweeps: every vertex onto its surface.
  // A cell, but no more than the projection record's displacement holds.
  constexpr double kLongestDisplacement = 5.0;
  const float maxError = static_cast<float>(std::min(input.frame.exactCellSize, kLongestDisplacement));
  // The welded vertices lie on the lattice's cells: its box holds them.
  const glm::dvec3 low = input.frame.toWorld(glm::dvec3(0.0)),
                   high = input.frame.toWorld(glm::dvec3(input.frame.nodes - 1u));
  // 1. What turning left, made now that the reach is known: the profile's
  // rectangle stays out of reach of every vertex.
  const TurnedProfile turned = turnedProfileOf(
      input.sweeps.turning, static_cast<int32_t>(input.sweeps.sweeps.size()), glm::dvec2(low.z, high.z),
      glm::length(glm::max(glm::abs(glm::dvec2(low)), glm::abs(glm::dvec2(high)))), 1.0 + 4.0 * maxError);
  const PlacementInput placement{input.initialShape,
                                 input.sweeps,
                                 turned.empty() ? nullptr : &turned,
                                 maxError,
                                 glm::vec3(low),
                                 glm::vec3(high),
                                 input.stop};
  std::optional<PlacedVertices> placed = placeOnSurfaces(placement, *mesh, normals, say);
  if (!placed) return nullptr;
  mergeCoincidentVertices(*mesh);
  say(50);
  // 7. Creases and corners the lattice cut as chamfers are split.
  CreaseSplitReport split;
  if (input.splitCreases) {
    CreaseSplitSettings settings;
    settings.maxError = maxError;
    settings.minChamfer = maxError / kLeastChamferPerCell;
    split = splitCreases(*mesh, placed->moved, settings, [&](EnhancedMesh& points, const gpu::SSBO& pointNormals) {
      return placeOnSurfaces(placement, points, pointNormals, {});
    });
    if (stopped()) return nullptr;
  }
  const gpu::SSBO& moved = placed->moved;
  const SweepProjectionReport& swept = placed->swept;
  say(60);

  // 8. Colours, 10. simplification, 9. face normals and smooth marks of
  // the triangles that remain.
  mesh->attributes = gpu::SSBO(uint64_t{std::max(mesh->triangleCount, 1u)} * 8);
  const uint32_t mixed = colourTriangles(input, *mesh);
  SimplificationReport simplified{.trianglesBefore = mesh->triangleCount, .trianglesAfter = mesh->triangleCount};
  if (input.tolerance > 0) {
    SimplificationSettings simplify;
    simplify.maxError = static_cast<float>(input.tolerance);
    simplify.unitLength = static_cast<float>(input.frame.exactCellSize / kScoreStepsPerCell);
    simplified = simplifyMesh(*mesh, simplify);
  }
  GLuint program = useAlgoProgram("ComputeTriangleFaceNormals.comp");
  mesh->positions.bindBase(0);
  mesh->triangles.bindBase(1);
  mesh->attributes.bindBase(2);
  setUint(program, "nTriangles", mesh->triangleCount);
  runKernel(program, mesh->triangleCount);
  program = useAlgoProgram("MarkSmoothTriangles.comp");
  mesh->packedNormals.bindBase(0);
  mesh->triangles.bindBase(1);
  mesh->attributes.bindBase(2);
  mesh->projections.bindBase(3);
  moved.bindBase(4);
  setUint(program, "nTriangles", mesh->triangleCount);
  setFloat(program, "SmoothCosine", kSmoothCosine);
  runKernel(program, mesh->triangleCount);
  say(90);

  if (report) {
    report->vertices = mesh->vertexCount - split.points();
    report->triangles = weldedTriangles;
    report->mixedTriangles = mixed;
    report->splitEdges = split.edges;
    report->centrePoints = split.centres;
    report->simplifiedTriangles = simplified.trianglesAfter;
    report->collapseRounds = simplified.rounds;
    report->sweeps = static_cast<uint32_t>(input.sweeps.sweeps.size());
    report->crowdedSweeps = swept.crowdedSweeps;
    report->secondShots = swept.secondShots;
    report->batches = swept.batches;
    report->candidates = swept.candidates;
    report->maxError = maxError;
    const std::vector<uint32_t> movedFlags = gpu::readBack<uint32_t>(moved, 0, mesh->vertexCount);
    const std::vector<ProjectionWords> records = gpu::readBack<ProjectionWords>(mesh->projections, 0, mesh->vertexCount);
    for (uint32_t v = 0; v < mesh->vertexCount; ++v) {
      report->movedVertices += movedFlags[v];
      report->sweepVertices += movedFlags[v] != 0 && static_cast<int32_t>(records[v][3]) >= 0;
    }
  }
  return mesh;
}

void copyIntoSolidMesh(const EnhancedMesh& mesh, stock::SolidMesh& solid) {
  solid.allocate(mesh.vertexCount, mesh.triangleCount * 3);
  const GLuint program = useAlgoProgram("AdvancedCopy.comp");
  mesh.positions.bindBase(0);
  mesh.packedNormals.bindBase(1);
  glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 2, solid.vertexBuffer());
  setUint(program, "nVertices", mesh.vertexCount);
  runKernel(program, mesh.vertexCount);
  glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 2, 0);
  gpu::copyBufferBytes(mesh.triangles.id(), 0, solid.indexBuffer(), 0, uint64_t{mesh.triangleCount} * 12);
  gpu::copyBufferBytes(mesh.attributes.id(), 0, solid.triangles().id(), 0, uint64_t{mesh.triangleCount} * 8);
  glMemoryBarrier(GL_VERTEX_ATTRIB_ARRAY_BARRIER_BIT | GL_ELEMENT_ARRAY_BARRIER_BIT | GL_SHADER_STORAGE_BARRIER_BIT);
}

stock::SurfaceMesh readBackSurface(const EnhancedMesh& mesh) {
  stock::SurfaceMesh surface;
  const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(mesh.positions, 0, mesh.vertexCount);
  surface.vertices.reserve(positions.size());
  for (const glm::vec4& p : positions) surface.vertices.emplace_back(p.x, p.y, p.z);
  surface.triangles = gpu::readBack<uint32_t>(mesh.triangles, 0, uint64_t{mesh.triangleCount} * 3);
  return surface;
}

}  // namespace enhance
