#pragma once
// Loads the machine's model meshes on a worker thread: the meshes handed
// over or read from a folder go to the models whose paths they match, then
// each mesh's convex pieces come from the cache or are decomposed and
// cached. The host hears the mesh cache's progress (event 8) and, at the
// end, that the machine is loaded (event 1). A new load waits for the last.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "machine/MeshCache.h"
#include "view/JobData.h"
#include "view/Notifier.h"

namespace view {

using PathMeshes = std::vector<std::pair<std::string, machine::IndexedMesh>>;

class MachineModelLoader {
 public:
  MachineModelLoader(JobData& job, Notifier& notifier) : job_(job), notifier_(notifier) {}
  ~MachineModelLoader() { join(); }
  MachineModelLoader(const MachineModelLoader&) = delete;
  MachineModelLoader& operator=(const MachineModelLoader&) = delete;

  // Host thread. skipped: models the caller could not use (bad records).
  void start(PathMeshes meshes, size_t skipped);
  // Host thread: every model's "Path" read under folder (STL or ".ToolData").
  void startFromFolder(std::filesystem::path folder);
  // Waits for the running load; asks it to leave its decomposition early.
  void join(bool stopEarly = false);
  // Models the last load left without a mesh.
  size_t skippedModels() const { return skipped_.load(); }

 private:
  void run(PathMeshes meshes, size_t skipped);
  void buildPieces();

  JobData& job_;
  Notifier& notifier_;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> skipped_{0};
};

// A model file as an indexed mesh (three vertices per triangle, unwelded);
// empty when it cannot be read.
machine::IndexedMesh readModelFile(const std::filesystem::path& path);

}  // namespace view
