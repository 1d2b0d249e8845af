#pragma once
// The toolpath as the view draws it: one line strip of 20-byte vertices in
// move order (a vertex per straight move, chord points for arcs), a 16-byte
// tool-axis segment at each move end, draw ranges per operation and per
// tool, and one value per move for colouring by value. Positions are the
// programmed path: each move's applied compensation offset is taken off.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "machine/Kinematics.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

// Vertex kinds. The segment into a vertex takes the vertex's kind; kinds
// with a fractional part in 0.01-0.99 mark move ends.
namespace LineKind {
inline constexpr float kRapidEnd = 0.1f;
inline constexpr float kFeedEnd = 1.1f;
inline constexpr float kArcInterior = 2.0f;
inline constexpr float kArcEnd = 2.2f;
inline constexpr float kHidden = 3.0f;  // a move of type 0: its segment is not drawn
}  // namespace LineKind

struct LineVertex {
  float position[3];
  float kind;
  int32_t move;
};
static_assert(sizeof(LineVertex) == 20, "attributes 0, 1, 2 at 0, 12, 16");

struct VectorVertex {
  float position[3];
  float kind;
};
static_assert(sizeof(VectorVertex) == 16);

struct DrawRange {
  uint32_t firstVertex;
  uint32_t lastVertex;  // inclusive
  uint32_t firstMove;
  uint32_t endMove;     // one past the last move
  uint8_t colour;       // index into the range colour table
  uint8_t padding[3];
};
static_assert(sizeof(DrawRange) == 20 && offsetof(DrawRange, colour) == 16);

// How many colours the range colour table holds; indexes wrap.
inline constexpr uint32_t kRangeColours = 16;

struct ToolpathLines {
  std::vector<LineVertex> vertices;
  // Move i ends at vertex lastVertexOf[i]; its own vertices follow move
  // i - 1's last one.
  std::vector<uint32_t> lastVertexOf;
  std::vector<VectorVertex> vectors;  // two per move: end, then end + axis x length
  std::vector<DrawRange> operationRanges;  // one per operation, hidden ones left out
  std::vector<DrawRange> toolRanges;       // one per tool run
  std::vector<float> values;               // per move, for colouring by value
  // The values' range over the feed moves (0, 0 without any).
  float lowestValue = 0.0f, highestValue = 0.0f;

  // The vertices from the end of the move before `first` to the end of
  // `last`: the strip that draws moves first..last.
  DrawRange rangeOfMoves(int64_t first, int64_t last) const;
};

// vectorLength: millimetres of each tool-axis segment.
ToolpathLines buildToolpathLines(const Toolpath& toolpath, const machine::Kinematics& kinematics,
                                 double vectorLength);

// The tool-axis segments' length for a toolpath: a twentieth of its
// bounding box's diagonal, at least 1 mm.
double vectorLengthFor(const Toolpath& toolpath);

}  // namespace toolpath
