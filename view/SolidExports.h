#pragma once
// Stock solids written out as binary STL, each on an export thread of its
// own: a solid exports once at a time, and a finished thread is joined
// before the solid's next export starts.
#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "stock/SurfaceExtraction.h"
#include "view/PhaseTimings.h"

namespace view {

class SolidExports {
 public:
  // Asks the render thread for a solid's welded mesh (world millimetres);
  // the callback reports the 50 % mark once the surface is extracted.
  using MeshRequest = std::function<std::future<stock::SurfaceMesh>(std::function<void(uint32_t)> progress)>;
  using Progress = std::function<void(uint32_t percent)>;

  explicit SolidExports(PhaseTimings& timings) : timings_(timings) {}
  ~SolidExports() { joinAll(); }

  // Starts the export of solid to path, vertices multiplied by factor. False
  // while that solid's previous export still runs.
  bool start(uint32_t solid, std::string path, double factor, MeshRequest requestMesh, Progress progress);
  bool busy(uint32_t solid) const;
  // Waits for every export thread. Mesh requests the render thread will not
  // serve any more must have been dropped before.
  void joinAll();

 private:
  struct Slot {
    std::atomic<bool> busy{false};
    std::thread thread;
  };
  void run(Slot& slot, const std::string& path, double factor, const MeshRequest& requestMesh,
           const Progress& progress);

  PhaseTimings& timings_;
  mutable std::mutex mutex_;
  std::map<uint32_t, std::unique_ptr<Slot>> slots_;
};

}  // namespace view
