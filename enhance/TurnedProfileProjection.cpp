#include "enhance/TurnedProfileProjection.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/vec4.hpp>

#include "enhance/AlgoDispatch.h"
#include "gpu/UniformName.h"

namespace enhance {
namespace {

constexpr uint32_t kGroupSize = 128;
// The edges are found by their axial extent in slabs of about this many,
// and no more slabs than this.
constexpr size_t kEdgesPerSlab = 4;
constexpr size_t kMostSlabs = size_t{1} << 16;

// Slab k holds the edges whose axial extent meets [low + k w, low + (k + 1) w):
// every edge a line across the axis at a point of the slab meets is there.
struct Slabs {
  std::vector<uint32_t> ends;     // inclusive: slab k's entries end at ends[k]
  std::vector<uint32_t> entries;  // edge indices
  float low = 0, width = 1;
};

Slabs slabsOf(const TurnedProfile& profile) {
  Slabs slabs;
  const size_t count = std::clamp<size_t>(profile.edges.size() / kEdgesPerSlab, 1, kMostSlabs);
  slabs.low = static_cast<float>(profile.axialLow);
  slabs.width = static_cast<float>(std::max(profile.axialHigh - profile.axialLow, 1e-6) / double(count));
  const auto slabOf = [&](double axial) {
    const double k = std::floor((axial - slabs.low) / slabs.width);
    return static_cast<size_t>(std::clamp(k, 0.0, double(count - 1)));
  };
  std::vector<std::vector<uint32_t>> lists(count);
  for (size_t e = 0; e < profile.edges.size(); ++e) {
    const TurnedProfile::Edge& edge = profile.edges[e];
    // A slab more on either side: the shader's float rounding of the
    // bounds may put a point one slab over.
    const size_t first = slabOf(std::min(edge.a.x, edge.b.x)), last = slabOf(std::max(edge.a.x, edge.b.x));
    for (size_t k = first > 0 ? first - 1 : 0; k <= std::min(last + 1, count - 1); ++k)
      lists[k].push_back(static_cast<uint32_t>(e));
  }
  for (const std::vector<uint32_t>& list : lists) {
    slabs.entries.insert(slabs.entries.end(), list.begin(), list.end());
    slabs.ends.push_back(static_cast<uint32_t>(slabs.entries.size()));
  }
  return slabs;
}

template <typename T>
gpu::SSBO bufferOf(const std::vector<T>& values) {
  gpu::SSBO buffer(std::max<uint64_t>(values.size() * sizeof(T), 16));
  if (!values.empty()) buffer.upload(values.data(), values.size() * sizeof(T));
  return buffer;
}

}  // namespace

void projectOntoTurnedProfile(const TurnedProfile& profile, const EnhancedMesh& mesh, VertexProjections& projections,
                              float maxError) {
  if (profile.empty() || mesh.vertexCount == 0) return;
  std::vector<glm::vec4> edges;
  std::vector<int32_t> sources;
  for (const TurnedProfile::Edge& e : profile.edges) {
    edges.emplace_back(float(e.a.x), float(e.a.y), float(e.b.x), float(e.b.y));
    sources.push_back(e.source);
  }
  const Slabs slabs = slabsOf(profile);
  const gpu::SSBO edgeBuffer = bufferOf(edges), sourceBuffer = bufferOf(sources), endBuffer = bufferOf(slabs.ends),
                  entryBuffer = bufferOf(slabs.entries);
  const GLuint program = useAlgoProgram("ApplyTurningProfile.comp");
  mesh.positions.bindBase(0);
  projections.records.bindBase(2);
  projections.distances.bindBase(3);
  edgeBuffer.bindBase(4);
  sourceBuffer.bindBase(5);
  endBuffer.bindBase(6);
  entryBuffer.bindBase(7);
  setUint(program, "nVertices", mesh.vertexCount);
  setUint(program, "nSlabs", static_cast<uint32_t>(slabs.ends.size()));
  setFloat(program, "SlabLow", slabs.low);
  setFloat(program, "SlabWidth", slabs.width);
  setFloat(program, "maxError", maxError);
  runKernel(program, mesh.vertexCount, kGroupSize);
}

}  // namespace enhance
