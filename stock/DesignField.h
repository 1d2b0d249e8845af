#pragma once
// The design model turned into a field over a stock's node lattice, for
// colouring the stock by its distance to the design: each node holds the
// design triangle nearest to it, found by seeding the nodes within a cell of
// the surface and spreading outwards in rounds of a wave front until no
// node changes. Stock vertices then get their exact signed distance from
// the triangles the nodes around them hold (and their neighbours).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <glm/mat4x4.hpp>

#include "gpu/GL.h"
#include "gpu/SSBO.h"
#include "stock/GridFrame.h"
#include "stock/StockMesh.h"
#include "stock/TriangleMeshBuffers.h"

namespace stock {

class DesignField {
 public:
  struct Build {
    bool complete = false;    // every node holds a triangle
    uint32_t rounds = 0;      // of the wave front
    uint64_t seeded = 0;      // nodes within a cell of the design
  };
  // Rounds before the build gives up; a front crosses a lattice of n nodes
  // along its longest axis in about n rounds.
  static uint32_t roundLimit(const GridFrame& frame);

  // How far a build got: the seeding (0 at its start, 50 between its two
  // passes, 100 at its end), then the wave front (30 at its start,
  // frontPercent(n) after n rounds, 100 at its end).
  enum class Phase { Seeding, WaveFront };
  using Progress = std::function<void(Phase phase, uint32_t percent)>;
  // Rises from 37 after the first round towards 99, ever slower: the round
  // count of a front is not known before it ends.
  static uint32_t frontPercent(uint32_t rounds);

  // Render thread: the field of design (placement: its frame to the stock's
  // world frame) over frame's lattice. Incomplete for an empty design, one
  // outside the lattice, or a front that outgrew its list or round limit.
  Build build(const GridFrame& frame, const std::shared_ptr<const StockMesh>& design, const glm::dmat4& placement,
              const Progress& progress = {});
  bool ready() const { return ready_; }

  // Render thread: for count vertices of stride floats in vertices (world
  // positions at positionOffset), the signed distance to the design (world
  // units, negative inside it) into the float at distanceOffset. Nothing
  // when the field is not ready.
  void measure(GLuint vertices, uint32_t count, uint32_t stride, uint32_t positionOffset, uint32_t distanceOffset);

  // Bytes of the field's buffers.
  uint64_t bytes() const;
  void release();

 private:
  bool seed(const GridFrame& frame, const Progress& progress);
  Build spread(const GridFrame& frame, const Progress& progress);

  TriangleMeshBuffers mesh_;
  GridFrame frame_;
  glm::mat4 toGrid_{1.0f};
  bool ready_ = false;
  std::optional<gpu::SSBO> distances_, triangles_, front_, queued_, counter_;
  uint64_t capacity_ = 0;
};

}  // namespace stock
