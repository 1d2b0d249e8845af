#include "enhance/SweepProjection.h"

#include <algorithm>
#include <cmath>

#include <glm/vec3.hpp>

#include "enhance/AlgoDispatch.h"
#include "enhance/MeshWeld.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"
#include "gpu/UniformName.h"

namespace enhance {
namespace {

constexpr uint32_t kProjectionGroupSize = 64;
// The vec4 words of one sweep in the candidates' buffer.
constexpr uint32_t kSweepWords = sizeof(ToolSweep) / 16;
constexpr uint32_t kMaxBinsPerDim = 128;
// A sweep whose box meets more bins than this is crowded, whatever they
// hold: walking them would cost more than trying each vertex.
constexpr uint32_t kMaxBinsPerSweep = 4096;

// The vertices' grid: a cube of bins over their box.
struct Bins {
  glm::vec3 origin{0.0f};
  float size = 1.0f;
  uint32_t perDim = 1;
  gpu::SSBO ends;      // inclusive sums of the vertex counts per bin
  gpu::SSBO vertices;  // vertex indices, bin by bin
};

Bins binVertices(const EnhancedMesh& mesh, const SweepProjectionSettings& settings) {
  Bins bins;
  const glm::vec3 lo = settings.verticesLow, hi = settings.verticesHigh;
  const float extent = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z, 1e-3f});
  bins.perDim = std::clamp<uint32_t>(
      static_cast<uint32_t>(std::cbrt(double(mesh.vertexCount) / std::max(settings.elementsPerBin, 1u))), 1,
      kMaxBinsPerDim);
  bins.size = extent / bins.perDim * 1.0001f;
  bins.origin = lo;
  const uint32_t binCount = bins.perDim * bins.perDim * bins.perDim;

  gpu::SSBO keys(uint64_t{mesh.vertexCount} * 4), counts(uint64_t{binCount} * 4, 0u);
  const GLuint program = useAlgoProgram("AssignVertexBins.comp");
  mesh.positions.bindBase(0);
  keys.bindBase(1);
  counts.bindBase(2);
  setUint(program, "nVertices", mesh.vertexCount);
  setUint(program, "nBinsPerDim", bins.perDim);
  glUniform3f(gpu::uniformLocation(program, "BinOrigin"), bins.origin.x, bins.origin.y, bins.origin.z);
  setFloat(program, "BinSize", bins.size);
  runKernel(program, mesh.vertexCount);
  bins.ends = gpu::SSBO(uint64_t{binCount} * 4);
  gpu::inclusivePrefixSum(counts, bins.ends, binCount);
  bins.vertices = gpu::SSBO(uint64_t{mesh.vertexCount} * 4);
  radixSort(keys, bins.vertices, mesh.vertexCount, binCount, true);
  return bins;
}

void setBinUniforms(GLuint program, const Bins& bins) {
  setUint(program, "nBinsPerDim", bins.perDim);
  glUniform3f(gpu::uniformLocation(program, "BinOrigin"), bins.origin.x, bins.origin.y, bins.origin.z);
  setFloat(program, "BinSize", bins.size);
}

void setCandidateUniforms(GLuint program, const SweepProjectionSettings& settings, uint32_t sweepBase,
                          uint32_t vertices) {
  setFloat(program, "maxError", settings.maxError);
  setFloat(program, "LengthUnit", settings.lengthUnit);
  setUint(program, "SweepBase", sweepBase);
  setUint(program, "nVertices", vertices);
  setUint(program, "ShotStride", vertices);
}

// What every candidate pass reads and writes.
struct CandidateBuffers {
  const EnhancedMesh& mesh;
  const gpu::SSBO& normals;
  VertexProjections& shots;   // both shots' slots, the second after the first
  const gpu::SSBO& winners;  // per slot: the elected sweep
};

void bindCandidateBuffers(const CandidateBuffers& b, const gpu::SSBO& sweeps) {
  b.mesh.positions.bindBase(0);
  b.normals.bindBase(1);
  b.shots.records.bindBase(2);
  b.shots.distances.bindBase(3);
  sweeps.bindBase(4);
  b.winners.bindBase(7);
}

// One batch of sweeps [first, first + count): false when its candidates
// would pass the budget (the caller halves it).
bool projectBatch(const SweepList& all, uint32_t first, uint32_t count, const Bins& bins,
                  const CandidateBuffers& buffers, const SweepProjectionSettings& settings,
                  SweepProjectionReport& report) {
  const EnhancedMesh& mesh = buffers.mesh;
  // The batch's sweeps, then every general profile's points (two a vec4):
  // the candidate passes read them from the same buffer.
  const uint64_t sweepBytes = uint64_t{count} * sizeof(ToolSweep);
  const uint64_t profileBytes = (all.profilePoints.size() + 1) / 2 * 16;
  gpu::SSBO sweeps(sweepBytes + profileBytes);
  sweeps.upload(all.sweeps.data() + first, sweepBytes);
  if (profileBytes > 0) {
    std::vector<glm::vec2> points = all.profilePoints;
    points.resize(profileBytes / sizeof(glm::vec2));
    sweeps.upload(points.data(), profileBytes, sweepBytes);
  }

  // Bin ranges, candidate counts, crowded sweeps.
  gpu::SSBO ranges(uint64_t{count} * 32), sweepCounts(uint64_t{count} * 4);
  const uint32_t words = (count + 31) / 32;
  gpu::SSBO crowded(uint64_t{words} * 4, 0u);
  GLuint program = useAlgoProgram("RangeRangeQuery.comp");
  sweeps.bindBase(0);
  ranges.bindBase(1);
  setUint(program, "nSweeps", count);
  setBinUniforms(program, bins);
  setFloat(program, "ExpandBoxesBy", settings.maxError);
  runKernel(program, count);
  program = useAlgoProgram("CountRanges.comp");
  ranges.bindBase(0);
  bins.ends.bindBase(1);
  sweepCounts.bindBase(2);
  setUint(program, "nSweeps", count);
  setUint(program, "nBinsPerDim", bins.perDim);
  setUint(program, "MaxBinsPerSweep", kMaxBinsPerSweep);
  setUint(program, "crowdedCutoff", settings.crowdedCutoff);
  runKernel(program, count);
  program = useAlgoProgram("FilterOutCrowdedSweeps.comp");
  sweepCounts.bindBase(0);
  crowded.bindBase(1);
  setUint(program, "nSweeps", count);
  setUint(program, "crowdedCutoff", settings.crowdedCutoff);
  runKernel(program, count);
  gpu::SSBO sweepEnds(uint64_t{count} * 4);
  gpu::inclusivePrefixSum(sweepCounts, sweepEnds, count);
  const uint32_t candidates = gpu::readElement<uint32_t>(sweepEnds, count - 1);
  if (candidates > settings.candidatesPerBatch && count > 1) return false;

  // The crowded sweeps' list, from their bits.
  std::vector<uint32_t> crowdedList;
  const std::vector<uint32_t> bits = gpu::readBack<uint32_t>(crowded, 0, words);
  for (uint32_t s = 0; s < count; ++s)
    if (bits[s / 32] & (1u << (s % 32))) crowdedList.push_back(s);

  // The candidate list.
  gpu::SSBO pairs(uint64_t{std::max(candidates, 1u)} * 8);
  if (candidates > 0) {
    program = useAlgoProgram("TransformRangesToIndices.comp");
    ranges.bindBase(0);
    bins.ends.bindBase(1);
    bins.vertices.bindBase(2);
    sweepEnds.bindBase(3);
    pairs.bindBase(4);
    crowded.bindBase(5);
    setUint(program, "nSweeps", count);
    setUint(program, "nBinsPerDim", bins.perDim);
    runKernel(program, count);
  }
  gpu::SSBO crowdedSweeps(std::max<uint64_t>(crowdedList.size() * 4, 16));
  if (!crowdedList.empty()) crowdedSweeps.upload(crowdedList.data(), crowdedList.size() * 4);

  // Values first, then the election, then the winners' records.
  const bool profiles = std::any_of(all.sweeps.begin() + first, all.sweeps.begin() + first + count,
                                    [](const ToolSweep& s) { return s.boxMin.w > 0; });
  gpu::SSBO values(uint64_t{std::max(candidates, 1u)} * 4);
  for (const uint32_t pass : {0u, 1u, 2u}) {
    if (candidates > 0) {
      program = useAlgoProgram(pass == 0 ? (profiles ? "ProjectPointsOntoProfileToolsweep.comp" : "ProjectPointsOntoToolsweep.comp")
                                         : (profiles ? "ProjectPointsOntoProfileToolsweepApply.comp"
                                                     : "ProjectPointsOntoToolsweepApply.comp"));
      bindCandidateBuffers(buffers, sweeps);
      pairs.bindBase(5);
      values.bindBase(6);
      setCandidateUniforms(program, settings, first, mesh.vertexCount);
      setUint(program, "ProfileBase", count * kSweepWords);
      setUint(program, "nCandidates", candidates);
      if (pass > 0) setUint(program, "Stage", pass - 1);
      runKernel(program, candidates, kProjectionGroupSize);
    }
    if (!crowdedList.empty()) {
      program = useAlgoProgram(profiles ? "ProjectPointsOntoProfileToolsweep2.comp" : "ProjectPointsOntoToolsweep2.comp");
      bindCandidateBuffers(buffers, sweeps);
      crowdedSweeps.bindBase(5);
      setCandidateUniforms(program, settings, first, mesh.vertexCount);
      setUint(program, "ProfileBase", count * kSweepWords);
      setUint(program, "nCrowded", static_cast<uint32_t>(crowdedList.size()));
      setUint(program, "Apply", pass);
      runKernel(program, mesh.vertexCount, kProjectionGroupSize);
    }
  }
  ++report.batches;
  report.candidates += candidates;
  report.crowdedSweeps += static_cast<uint32_t>(crowdedList.size());
  return true;
}

// Both shots start from the initial stock's results.
VertexProjections twoShotsOf(const VertexProjections& first, uint32_t vertices) {
  const uint64_t n = vertices;
  VertexProjections shots{gpu::SSBO(2 * n * 16), gpu::SSBO(2 * n * 4)};
  for (const uint64_t slot : {uint64_t{0}, n}) {
    gpu::copyBufferBytes(first.records.id(), 0, shots.records.id(), slot * 16, n * 16);
    gpu::copyBufferBytes(first.distances.id(), 0, shots.distances.id(), slot * 4, n * 4);
  }
  return shots;
}

// The better shot of every vertex into projections; returns how many
// vertices took the second.
uint32_t selectBestShot(const VertexProjections& shots, uint32_t vertices, float maxError,
                        VertexProjections& projections) {
  const gpu::SSBO replaced(4, 0u);
  const GLuint program = useAlgoProgram("SelectBestProjectionFrom2Shot.comp");
  shots.records.bindBase(2);
  shots.distances.bindBase(3);
  replaced.bindBase(4);
  setUint(program, "nVertices", vertices);
  setUint(program, "nTriangleVertices", vertices);
  setFloat(program, "maxError", maxError);
  runKernel(program, vertices);
  gpu::copyBufferBytes(shots.records.id(), 0, projections.records.id(), 0, uint64_t{vertices} * 16);
  gpu::copyBufferBytes(shots.distances.id(), 0, projections.distances.id(), 0, uint64_t{vertices} * 4);
  return gpu::readElement<uint32_t>(replaced, 0);
}

}  // namespace

SweepProjectionReport projectOntoSweeps(const SweepList& sweeps, const EnhancedMesh& mesh,
                                        const gpu::SSBO& vertexNormals, VertexProjections& projections,
                                        const SweepProjectionSettings& settings) {
  SweepProjectionReport report;
  if (sweeps.sweeps.empty() || mesh.vertexCount == 0) return report;
  const Bins bins = binVertices(mesh, settings);
  report.binsPerDim = bins.perDim;
  VertexProjections shots = twoShotsOf(projections, mesh.vertexCount);
  const gpu::SSBO winners(uint64_t{mesh.vertexCount} * 8, 0xFFFFFFFFu);  // -1: the initial stock
  const CandidateBuffers buffers{mesh, vertexNormals, shots, winners};
  uint32_t first = 0, batch = std::max(settings.sweepsPerBatch, 1u);
  const uint32_t total = static_cast<uint32_t>(sweeps.sweeps.size());
  while (first < total) {
    if (settings.stop && settings.stop->load()) {
      report.stopped = true;
      return report;
    }
    const uint32_t count = std::min(batch, total - first);
    if (!projectBatch(sweeps, first, count, bins, buffers, settings, report)) {
      batch = std::max(count / 2, 1u);
      continue;
    }
    first += count;
  }
  report.secondShots = selectBestShot(shots, mesh.vertexCount, settings.maxError, projections);
  return report;
}

}  // namespace enhance
