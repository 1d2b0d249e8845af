#pragma once
// Undoes the cut of the move being played. Playback cuts the current move
// (the chord of it under way) up to where the tool stands whenever a frame
// shows the stock, each time the piece since the last; those pieces must
// leave no trace once the chord is cut in full, or the final stock would
// depend on which positions the frames happened to show. Before the first
// piece, the box the chord's sweep can touch is saved; it is restored when
// the tool leaves the chord.
#include <cstdint>
#include <optional>

#include <glm/vec3.hpp>

#include "gpu/SSBO.h"
#include "stock/StockGrid.h"

namespace stock {

// Nodes low ... high (inclusive) of a lattice.
struct NodeBox {
  glm::uvec3 low{0}, high{0};
};

class PartialUndo {
 public:
  // Render thread: saves the box (lattice words it covers) of the grid.
  void save(StockGrid& grid, const NodeBox& box);
  // Render thread: puts the saved words back; nothing when none are saved.
  void restore(StockGrid& grid);
  // The lattice was made anew: what is saved belongs to the old one.
  void forget() { saved_.reset(); }
  void release() {
    saved_.reset();
    scratch_.reset();
  }
  bool holds() const { return saved_.has_value(); }

 private:
  void copy(StockGrid& grid, const NodeBox& box, bool restore);

  std::optional<NodeBox> saved_;
  std::optional<gpu::SSBO> scratch_;
};

// Words the region shader copies for a box.
uint64_t regionWords(const NodeBox& box);

}  // namespace stock
