#include "enhance/CreaseSplit.h"

#include <algorithm>
#include <bit>

#include "enhance/AlgoDispatch.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"

namespace enhance {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
// Half-edges are counted in 32 bits and the edge table holds twice their
// number: larger meshes keep their creases.
constexpr uint32_t kMostTriangles = 1u << 28;

// buffer's first `bytes`, then tail's first `tailBytes`.
void append(gpu::SSBO& buffer, uint64_t bytes, const gpu::SSBO& tail, uint64_t tailBytes) {
  gpu::SSBO joined(bytes + tailBytes);
  gpu::copyBufferBytes(buffer.id(), 0, joined.id(), 0, bytes);
  gpu::copyBufferBytes(tail.id(), 0, joined.id(), bytes, tailBytes);
  buffer = std::move(joined);
}

GLuint useEdgePass(const char* name, const EnhancedMesh& mesh, const gpu::SSBO& table) {
  const GLuint program = useAlgoProgram(name);
  mesh.positions.bindBase(0);
  mesh.triangles.bindBase(1);
  table.bindBase(2);
  setUint(program, "nTriangles", mesh.triangleCount);
  setUint(program, "TableMask", static_cast<uint32_t>(table.size() / 4 - 1));
  return program;
}

// The centre points of the triangles that hold a corner, after the split
// points in newPoints and newNormals; triangleCentres gets each
// triangle's centre vertex or none. Returns how many.
uint32_t addCentrePoints(const EnhancedMesh& mesh, const gpu::SSBO& edgeVertices, const CreaseSplitSettings& settings,
                         EnhancedMesh& newPoints, gpu::SSBO& newNormals, gpu::SSBO& triangleCentres) {
  const uint32_t count = mesh.triangleCount, split = newPoints.vertexCount;
  gpu::SSBO flags(uint64_t{count} * 4), sums(uint64_t{count} * 4);
  const auto use = [&](uint32_t stage) {
    const GLuint program = useAlgoProgram("SplitTriangles.comp");
    mesh.positions.bindBase(0);
    mesh.triangles.bindBase(1);
    mesh.packedNormals.bindBase(3);
    newPoints.positions.bindBase(9);
    edgeVertices.bindBase(11);
    setUint(program, "nTriangles", count);
    setUint(program, "nVertices", mesh.vertexCount);
    setUint(program, "nSplitPoints", split);
    setFloat(program, "maxError", settings.maxError);
    setFloat(program, "minSplitprojectionerrorToAllowSplit", settings.minChamfer);
    setUint(program, "Stage", stage);
    return program;
  };
  GLuint program = use(0);
  flags.bindBase(12);
  runKernel(program, count);
  gpu::inclusivePrefixSum(flags, sums, count);
  const uint32_t centres = gpu::readElement<uint32_t>(sums, count - 1);
  if (centres == 0) return 0;
  gpu::SSBO points(uint64_t{centres} * 16), normals(uint64_t{centres} * 16);
  program = use(1);
  sums.bindBase(12);
  points.bindBase(13);
  normals.bindBase(14);
  triangleCentres.bindBase(15);
  runKernel(program, count);
  append(newPoints.positions, uint64_t{split} * 16, points, uint64_t{centres} * 16);
  append(newNormals, uint64_t{split} * 16, normals, uint64_t{centres} * 16);
  newPoints.vertexCount += centres;
  return centres;
}

// Remakes every triangle from its corners, the split points of its edges
// and its centre.
void remakeTriangles(EnhancedMesh& mesh, const gpu::SSBO& edgeVertices, const gpu::SSBO& triangleCentres) {
  const uint32_t count = mesh.triangleCount;
  gpu::SSBO pieces(uint64_t{count} * 4), ends(uint64_t{count} * 4);
  const auto use = [&](const char* name) {
    const GLuint program = useAlgoProgram(name);
    mesh.triangles.bindBase(1);
    edgeVertices.bindBase(11);
    triangleCentres.bindBase(14);
    setUint(program, "nTriangles", count);
    return program;
  };
  GLuint program = use("RemakeEdgeSplitTriangles.comp");
  pieces.bindBase(12);
  setUint(program, "Stage", 0);
  runKernel(program, count);
  gpu::inclusivePrefixSum(pieces, ends, count);
  const uint32_t remade = gpu::readElement<uint32_t>(ends, count - 1);
  gpu::SSBO triangles(uint64_t{remade} * 12);
  program = use("RemakeEdgeSplitTriangles.comp");
  ends.bindBase(12);
  triangles.bindBase(13);
  setUint(program, "Stage", 1);
  runKernel(program, count);
  program = use("RemakeCenterSplitTriangles.comp");
  ends.bindBase(12);
  triangles.bindBase(13);
  runKernel(program, count);
  mesh.triangles = std::move(triangles);
  mesh.triangleCount = remade;
}

}  // namespace

CreaseSplitReport splitCreases(EnhancedMesh& mesh, gpu::SSBO& moved, const CreaseSplitSettings& settings,
                               const PlacePoints& place) {
  CreaseSplitReport report;
  if (mesh.triangleCount == 0 || mesh.triangleCount > kMostTriangles) return report;
  const uint32_t halfEdges = mesh.triangleCount * 3;
  // Split edges are few; a table of twice the half-edges keeps probes short
  // whatever they number.
  gpu::SSBO table(uint64_t{std::bit_ceil(2 * halfEdges)} * 4, kNone);
  gpu::SSBO flags(uint64_t{halfEdges} * 4), points(uint64_t{halfEdges} * 16), pointNormals(uint64_t{halfEdges} * 16);
  GLuint program = useEdgePass("EdgeSplitCandidates.comp", mesh, table);
  mesh.packedNormals.bindBase(3);
  mesh.projections.bindBase(4);
  moved.bindBase(5);
  flags.bindBase(6);
  points.bindBase(7);
  pointNormals.bindBase(8);
  setFloat(program, "minSplitprojectionerrorToAllowSplit", settings.minChamfer);
  setFloat(program, "maxError", settings.maxError);
  setFloat(program, "CreaseCosine", settings.creaseCosine);
  setUint(program, "Stage", 0);
  runKernel(program, halfEdges);
  setUint(program, "Stage", 1);
  runKernel(program, halfEdges);
  gpu::SSBO sums(uint64_t{halfEdges} * 4);
  gpu::inclusivePrefixSum(flags, sums, halfEdges);
  const uint32_t split = gpu::readElement<uint32_t>(sums, halfEdges - 1);

  EnhancedMesh newPoints;
  // Split points, then centres; a corner may take a centre with no edge split.
  newPoints.positions = gpu::SSBO(uint64_t{std::max(split, 1u)} * 16);
  newPoints.vertexCount = split;
  gpu::SSBO newNormals(uint64_t{std::max(split, 1u)} * 16), edgeVertices(uint64_t{halfEdges} * 4);
  program = useEdgePass("EdgeSplitElect.comp", mesh, table);
  sums.bindBase(6);
  points.bindBase(7);
  pointNormals.bindBase(8);
  newPoints.positions.bindBase(9);
  newNormals.bindBase(10);
  edgeVertices.bindBase(11);
  setUint(program, "nVertices", mesh.vertexCount);
  runKernel(program, halfEdges);

  gpu::SSBO triangleCentres(uint64_t{mesh.triangleCount} * 4, kNone);
  const uint32_t centres = addCentrePoints(mesh, edgeVertices, settings, newPoints, newNormals, triangleCentres);
  if (newPoints.vertexCount == 0) return report;

  std::optional<PlacedVertices> placed = place(newPoints, newNormals);
  if (!placed) return report;
  remakeTriangles(mesh, edgeVertices, triangleCentres);
  const uint64_t n = mesh.vertexCount, added = newPoints.vertexCount;
  append(mesh.positions, n * 16, newPoints.positions, added * 16);
  append(mesh.packedNormals, n * 4, newPoints.packedNormals, added * 4);
  append(mesh.projections, n * 16, newPoints.projections, added * 16);
  append(moved, n * 4, placed->moved, added * 4);
  mesh.vertexCount += newPoints.vertexCount;
  report.edges = split;
  report.centres = centres;
  return report;
}

}  // namespace enhance
