#include "enhance/MeshSimplification.h"

#include <bit>

#include "enhance/AlgoDispatch.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"

namespace enhance {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
// The edge table is counted in 32 bits: larger meshes are left as they are.
constexpr uint32_t kMostTriangles = 1u << 28;

// The per-vertex words (see Simplify.glsl): a round's at bindings 3 to 6,
// 11, 13 and 15 and its edge table at 12; kept across rounds, the errors at
// 10 and the vetoed marks at 14.
struct RoundState {
  gpu::SSBO flags, colours, scores, targets, removalErrors, opposites, claims, edgeTable;
  gpu::SSBO errors, vetoed;

  // The edge table holds twice the first round's edges: never half full.
  RoundState(uint32_t vertices, uint32_t triangles)
      : flags(uint64_t{vertices} * 4), colours(uint64_t{vertices} * 4), scores(uint64_t{vertices} * 4),
        targets(uint64_t{vertices} * 4), removalErrors(uint64_t{vertices} * 4), opposites(uint64_t{vertices} * 8),
        claims(uint64_t{vertices} * 4), edgeTable(uint64_t{std::bit_ceil(3 * triangles)} * 4), errors(uint64_t{vertices} * 4, 0u),
        vetoed(uint64_t{vertices} * 4, 0u) {}

  void reset() {
    flags.fill(0u);
    colours.fill(kNone);
    scores.fill(kNone);
    targets.fill(kNone);
    removalErrors.fill(0u);
    opposites.fill(kNone);
    claims.fill(kNone);
    edgeTable.fill(kNone);
  }
};

GLuint useSimplifyPass(const char* name, EnhancedMesh& mesh, const RoundState& state) {
  const GLuint program = useAlgoProgram(name);
  mesh.positions.bindBase(0);
  mesh.triangles.bindBase(1);
  mesh.attributes.bindBase(2);
  state.flags.bindBase(3);
  state.colours.bindBase(4);
  state.scores.bindBase(5);
  state.targets.bindBase(6);
  state.errors.bindBase(10);
  state.removalErrors.bindBase(11);
  state.edgeTable.bindBase(12);
  state.opposites.bindBase(13);
  state.vetoed.bindBase(14);
  state.claims.bindBase(15);
  setUint(program, "nTriangles", mesh.triangleCount);
  setUint(program, "TableMask", static_cast<uint32_t>(state.edgeTable.size() / 4 - 1));
  return program;
}

// Drops the triangles a round left without area; returns how many remain.
uint32_t deleteDegenerateTriangles(EnhancedMesh& mesh, const RoundState& state) {
  const uint32_t count = mesh.triangleCount;
  gpu::SSBO kept(uint64_t{count} * 4), sums(uint64_t{count} * 4);
  GLuint program = useSimplifyPass("SimplifyDeleteDegenerateTriangles.comp", mesh, state);
  kept.bindBase(7);
  setUint(program, "Stage", 0);
  runKernel(program, count);
  gpu::inclusivePrefixSum(kept, sums, count);
  const uint32_t remaining = gpu::readElement<uint32_t>(sums, count - 1);
  if (remaining == count) return count;
  if (remaining == 0) {
    mesh.triangleCount = 0;
    return 0;
  }
  gpu::SSBO triangles(uint64_t{remaining} * 12), attributes(uint64_t{remaining} * 8);
  program = useSimplifyPass("SimplifyDeleteDegenerateTriangles.comp", mesh, state);
  sums.bindBase(7);
  triangles.bindBase(8);
  attributes.bindBase(9);
  setUint(program, "Stage", 1);
  runKernel(program, count);
  mesh.triangles = std::move(triangles);
  mesh.attributes = std::move(attributes);
  mesh.triangleCount = remaining;
  return remaining;
}

void collapseRound(EnhancedMesh& mesh, const RoundState& state, const SimplificationSettings& settings,
                   uint32_t round) {
  GLuint program = useSimplifyPass("SimplifyMarkTriangles.comp", mesh, state);
  mesh.packedNormals.bindBase(7);
  setFloat(program, "CollapseThreshold", settings.collapseThreshold);
  runKernel(program, mesh.triangleCount);
  program = useSimplifyPass("SimplifyVertexEdgeCollapseScores.comp", mesh, state);
  setFloat(program, "UnitLen", settings.unitLength);
  runKernel(program, mesh.triangleCount);
  program = useSimplifyPass("SimplifyMarkEdges.comp", mesh, state);
  setFloat(program, "UnitLen", settings.unitLength);
  setUint(program, "RoundSeed", round * 0x9e3779b9u);
  runKernel(program, mesh.triangleCount);
  for (const uint32_t stage : {0u, 1u, 2u, 3u, 4u}) {
    program = useSimplifyPass("SimplifyCollapseEdges.comp", mesh, state);
    setFloat(program, "CollapseThreshold", settings.collapseThreshold);
    setFloat(program, "maxError", settings.maxError);
    setUint(program, "RoundSeed", round * 0x9e3779b9u);
    setUint(program, "Stage", stage);
    runKernel(program, mesh.triangleCount);
  }
  program = useSimplifyPass("SimplifyCollapseTriangles.comp", mesh, state);
  runKernel(program, mesh.triangleCount);
}

// The collapse passes bind storage buffers up to binding 15 and use ten in
// one program, where OpenGL 4.3 promises eight: a device with fewer keeps
// the mesh as it is.
bool deviceHoldsTheBuffers() {
  GLint blocks = 0, bindings = 0;
  glGetIntegerv(GL_MAX_COMPUTE_SHADER_STORAGE_BLOCKS, &blocks);
  glGetIntegerv(GL_MAX_SHADER_STORAGE_BUFFER_BINDINGS, &bindings);
  return blocks >= 16 && bindings >= 16;
}

}  // namespace

SimplificationReport simplifyMesh(EnhancedMesh& mesh, const SimplificationSettings& settings) {
  SimplificationReport report;
  report.trianglesBefore = report.trianglesAfter = mesh.triangleCount;
  if (mesh.triangleCount == 0 || mesh.vertexCount == 0 || mesh.triangleCount > kMostTriangles ||
      !(settings.unitLength > 0) || !deviceHoldsTheBuffers())
    return report;
  RoundState state(mesh.vertexCount, mesh.triangleCount);
  while (report.rounds < settings.maxRounds) {
    state.reset();
    const uint32_t before = mesh.triangleCount;
    collapseRound(mesh, state, settings, report.rounds);
    ++report.rounds;
    const uint32_t after = deleteDegenerateTriangles(mesh, state);
    if (before - after < settings.leastShareRemoved * before) break;
  }
  report.trianglesAfter = mesh.triangleCount;
  return report;
}

}  // namespace enhance
