#pragma once
// The locks of one view. Host calls take them around the data they change;
// the render thread takes them around the work that reads it.
#include <mutex>
#include <shared_mutex>

namespace view {

struct ViewLocks {
  std::shared_mutex view;        // the stock model and the solids
  std::mutex scene;              // scene teardown and geometry updates
  std::mutex requestQueue;       // requests queued for the next frame
  std::shared_mutex toolTable;   // tools and holders
  std::shared_mutex machine;     // the machine definition
  std::shared_mutex solidList;   // the list of stock solids
  std::mutex camera;             // camera state shared with host calls
  std::mutex collisionRun;       // held by the running collision check (try-lock)
  std::mutex collisionResults;   // the collision result lists
};

}  // namespace view
