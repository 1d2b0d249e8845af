#pragma once
// The stock lattice on the GPU: its frame, the node word buffer and the sign
// field. Lives on the render thread, which alone sets frames and touches
// the buffers; the frame a host call fixes travels there in the stock's
// description.
#include <atomic>
#include <cstdint>
#include <optional>

#include "gpu/DeviceLimits.h"
#include "gpu/SSBO.h"
#include "stock/GridFrame.h"

namespace stock {

class StockGrid {
 public:
  StockGrid() = default;
  StockGrid(const StockGrid&) = delete;
  StockGrid& operator=(const StockGrid&) = delete;

  // Stores a new frame and raises the grid-changed flag; an equal frame
  // changes nothing (false).
  bool setFrame(const GridFrame& frame);
  const GridFrame& frame() const { return frame_; }
  bool hasFrame() const { return frame_.valid(); }

  // Raised by every frame change; whoever rebuilds the contents lowers it.
  bool gridChanged() const { return gridChanged_.load() != 0; }
  void clearGridChanged() { gridChanged_ = 0; }

  // Render thread: sets up the lattice for the box with the largest budget
  // up to cells that the device holds (block size and allocation), and
  // sizes the buffers for it. False, with no lattice and no GL error left
  // behind, when not even the coarsest lattice fits.
  bool setUp(const StockBox& box, double cells, const gpu::DeviceLimits& limits);

  // Render thread: buffers sized for the current frame, reallocated only
  // when their byte size changes. False when the device cannot hold them.
  bool allocateBuffers();
  bool buffersReady() const;

  gpu::SSBO& nodeWords() { return *nodeWords_; }
  gpu::SSBO& signField() { return *signField_; }
  void bind() const;  // node words at binding 0, sign field at binding 1

  // Render thread: gives the buffers back.
  void releaseBuffers();

 private:
  GridFrame frame_;
  std::atomic<uint8_t> gridChanged_{0};
  std::optional<gpu::SSBO> nodeWords_;
  std::optional<gpu::SSBO> signField_;
};

}  // namespace stock
