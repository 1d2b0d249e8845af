#pragma once
// The stocks compared with the design model: when the host shows the
// comparison, each stock is drawn as its welded surface coloured by the
// signed distance of its vertices to the design (the first geometry of role
// workpiece). The design's mesh is read when the geometries change; each
// stock keeps its own field and compared surface.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "gpu/ValueTarget.h"

#include "stock/StockComparison.h"
#include "stock/StockDrawing.h"
#include "view/FramePart.h"
#include "view/JobData.h"

namespace view {

class StockCompareView {
 public:
  explicit StockCompareView(JobData& job) : job_(job) {}

  // Where a field's build reports its progress (render thread).
  stock::DesignField::Progress progress;

  // Render thread: draws model compared with the design; false when the
  // comparison is off or has nothing to show, and the stock is drawn as
  // usual. The model's surface must be up to date.
  bool draw(stock::StockModel& model, stock::StockDrawing& drawing, const SceneDraw& scene, stock::StockLook look,
            const std::atomic<bool>* stop);
  // Render thread: before a frame's stocks are drawn.
  void beginFrame() { drawn_.clear(); }
  // Render thread: the distance to the design (millimetres) of the compared
  // surface the last frame drew under a window pixel (x right, y down, in a
  // view of width x height pixels); none off it, where its part of the
  // surface is hidden, or when nothing was compared.
  std::optional<float> distanceAt(stock::StockDrawing& drawing, const SceneDraw& scene, int width, int height, int x,
                                  int y);
  // Render thread.
  void release();

 private:
  // The design as the geometries give it now; none without one.
  const std::optional<stock::Design>& design();

  JobData& job_;
  std::optional<stock::Design> design_;
  uint64_t geometryRevision_ = ~0ull;
  std::map<uint32_t, std::unique_ptr<stock::StockComparison>> stocks_;
  struct Drawn {
    const stock::StockComparison* comparison;
    stock::StockLook look;
  };
  std::vector<Drawn> drawn_;  // this frame's compared stocks as drawn
  gpu::ValueTarget readout_;
};

}  // namespace view
