#pragma once
// One stock compared with the design: the design's field over the stock's
// lattice (made again when the design, its placement or the lattice
// changes) and the stock's welded surface with every vertex's signed
// distance to the design (made again when the stock's contents change),
// ready for the solid program's compare colouring.
#include <cstdint>
#include <memory>
#include <optional>

#include <glm/mat4x4.hpp>

#include "stock/DesignField.h"
#include "stock/SolidMesh.h"
#include "stock/StockModel.h"

namespace stock {

// The design as the comparison takes it: its mesh, a revision that changes
// with it, and its placement in the stocks' world frame.
struct Design {
  std::shared_ptr<const StockMesh> mesh;
  uint64_t revision = 0;
  glm::dmat4 placement{1.0};
};

class StockComparison {
 public:
  // Render thread: brings the field and the compared surface up to date
  // with model and design; false when there is nothing to compare (no
  // design, one outside the lattice, no surface).
  // A new field reports its build's progress.
  bool update(StockModel& model, const Design& design, const std::atomic<bool>* stop = nullptr,
              const DesignField::Progress& progress = {});
  const SolidMesh& mesh() const { return *mesh_; }
  const DesignField::Build& lastBuild() const { return build_; }
  // Render thread.
  void release();

 private:
  DesignField field_;
  DesignField::Build build_;
  std::optional<SolidMesh> mesh_;
  bool meshReady_ = false;
  uint64_t designRevision_ = ~0ull, buildCount_ = ~0ull, contents_ = ~0ull;
  glm::dmat4 placement_{0.0};
  GridFrame frame_;
};

}  // namespace stock
