#pragma once
// The programs the milling cut drives, one per cutting shape, made on first
// use and kept with the locations of their tool uniforms, so that a cut only
// sets values.
#include <array>
#include <cstdint>
#include <memory>

#include "gpu/BaseToolShader.h"
#include "tools/CutRecords.h"

namespace stock {

// The sweep box of a tool in tool units: the widest radius, the lowest and
// the highest height any shape shader may reach.
struct ToolReach {
  double radius = 0, bottom = 0, top = 0;
};
ToolReach reachOf(const tools::CutRecord& tool);

class MillPrograms {
 public:
  MillPrograms();
  ~MillPrograms();
  MillPrograms(const MillPrograms&) = delete;
  MillPrograms& operator=(const MillPrograms&) = delete;

  // Render thread: binds the program that cuts with tool and sets its tool
  // uniforms; null for tools that do not mill.
  const gpu::BaseToolShader* bind(const tools::CutRecord& tool, uint32_t colourIndex);
  // Whether the tool's shader reads the profile block.
  static bool usesProfileBlock(const tools::CutRecord& tool);

 private:
  struct Program;
  // Kinds of programs; the names avoid the X11 headers' macros (Convex).
  enum Kind : int { kFlat, kBall, kBullNose, kConvexProfile, kCustomProfile, kClosedProfile, kExtruded, kPolygonXY, kPolygonZ, kKinds };
  static int kindOf(const tools::CutRecord& tool);
  Program& program(int kind);

  std::array<std::unique_ptr<Program>, kKinds> programs_;
};

}  // namespace stock
