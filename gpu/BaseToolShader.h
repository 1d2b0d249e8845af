#pragma once
// Base of every cut and collision compute wrapper: the uniform locations all
// tool kernels share, looked up once at construction.
#include <array>
#include <cstdint>
#include <string_view>

#include "gpu/Shader.h"

namespace gpu {

struct ToolUniformLocations {
  GLint noOfCells = -1;
  GLint boolPointsSize = -1;
  GLint invocationChunkOffset = -1;
  GLint invocationChunkSize = -1;
  GLint invocationChunkEnd = -1;
  GLint invocationChunkExtraEnd = -1;
  GLint extraElemType = -1;
  GLint extraElemStart = -1;
  GLint extraElemEnd = -1;
  GLint extraElemToolDirFrom = -1;
  GLint extraElemToolDirTo = -1;
  GLint elementCount = -1;
  GLint toolpathToSolid = -1;
  GLint toolScale = -1;
  // Optional: -1 (never set) when the program has no such uniform.
  GLint extraElemToolDirFlip = -1;
  GLint applyRapidMoves = -1;
  GLint reportRapidMoves = -1;
  GLint stoppedSpindleMode = -1;
  GLint reportSpindleStoppedMoves = -1;
  GLint cutEveryRay = -1;
};

class BaseToolShader : public Shader {
 public:
  explicit BaseToolShader(std::string_view computeName);
  explicit BaseToolShader(Adopt adopt);

  // The invocation count of one dispatch is divided by this to get the
  // number of work groups beyond the work-group size.
  virtual uint32_t chunkDivisor() const { return 1; }

  const ToolUniformLocations& locations() const { return locations_; }
  // Invocations of one work group, as the program declares them.
  uint32_t groupSize() const { return groupSize_; }

 private:
  void lookUpLocations();
  ToolUniformLocations locations_;
  uint32_t groupSize_ = 0;
};

// Values common to every cut dispatch.
struct ToolShaderParams {
  uint32_t invocationsPerChunk = 0;
  std::array<uint32_t, 3> nodeCounts{};
  std::array<uint32_t, 3> paddedNodeCounts{};
  uint32_t elementCount = 0;
  std::array<float, 16> toolpathToGrid{};  // column-major
  float toolScale = 1.0f;
  bool applyRapidMoves = false;
  bool reportRapidMoves = false;
  uint32_t stoppedSpindleMode = 0;
  bool reportSpindleStoppedMoves = false;
  // Rays that hold no material near the sweep are skipped unless this is
  // set; the result is the same, only slower (for comparisons).
  bool cutEveryRay = false;

  // Sets every value on shader's program, which must be bound.
  void apply(const BaseToolShader& shader) const;
};

}  // namespace gpu
