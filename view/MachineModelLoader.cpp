#include "view/MachineModelLoader.h"

#include <algorithm>
#include <map>
#include <set>

#include <omp.h>

#include "machine/ConvexDecomposition.h"
#include "platform/Folders.h"
#include "tools/ToolDataReader.h"

namespace view {

machine::IndexedMesh readModelFile(const std::filesystem::path& path) {
  const tools::PackedMesh packed = tools::readModel(path.string(), 1.0f, glm::vec3(0.0f));
  machine::IndexedMesh mesh;
  mesh.vertices.reserve(packed.size());
  mesh.indices.reserve(packed.size());
  for (const tools::PackedVertex& v : packed) {
    mesh.indices.push_back(static_cast<uint32_t>(mesh.vertices.size()));
    mesh.vertices.emplace_back(v.x, v.y, v.z);
  }
  return mesh;
}

void MachineModelLoader::join(bool stopEarly) {
  if (stopEarly) stop_ = true;
  if (worker_.joinable()) worker_.join();
  stop_ = false;
}

void MachineModelLoader::start(PathMeshes meshes, size_t skipped) {
  join(true);
  worker_ = std::thread([this, meshes = std::move(meshes), skipped]() mutable { run(std::move(meshes), skipped); });
}

void MachineModelLoader::startFromFolder(std::filesystem::path folder) {
  join(true);
  worker_ = std::thread([this, folder = std::move(folder)] {
    std::set<std::string> paths;
    {
      std::shared_lock read(job_.machine.lock());
      if (const machine::Machine* m = job_.machine.machine())
        for (const machine::ModelSlot& model : m->models()) paths.insert(model.entry->path);
    }
    PathMeshes meshes;
    size_t unreadable = 0;
    for (const std::string& path : paths) {
      machine::IndexedMesh mesh = path.empty() ? machine::IndexedMesh{} : readModelFile(folder / path);
      if (mesh.indices.empty()) {
        ++unreadable;
        continue;
      }
      meshes.emplace_back(path, std::move(mesh));
    }
    run(std::move(meshes), unreadable);
  });
}

void MachineModelLoader::run(PathMeshes meshes, size_t skipped) {
  try {
    const size_t missing = job_.machine.setMeshes(meshes);
    skipped_ = std::max(skipped, missing);
    job_.remountTools();
    buildPieces();
  } catch (const std::exception&) {
    // Out of memory or a file system failure: the models keep what they got.
  }
  notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_MACHINE_LOADED, 0, true);
}

// Each distinct mesh's pieces, from the cache when it holds them fresh.
void MachineModelLoader::buildPieces() {
  std::map<uint64_t, std::shared_ptr<const machine::ModelMesh>> byKey;
  {
    std::shared_lock read(job_.machine.lock());
    for (const auto& mesh : job_.machine.meshes())
      if (mesh && !mesh->pieces) byKey.emplace(mesh->key, mesh);
  }
  const std::vector<std::shared_ptr<const machine::ModelMesh>> todo = [&] {
    std::vector<std::shared_ptr<const machine::ModelMesh>> list;
    for (auto& [key, mesh] : byKey) list.push_back(mesh);
    return list;
  }();
  notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_MESH_CACHE_PROGRESS, 0, true);
  const std::filesystem::path root = platform::meshCacheRoot();
  std::atomic<size_t> done{0};
  const int threads = std::max(1, omp_get_max_threads() / 4);
#pragma omp parallel for schedule(dynamic) num_threads(threads)
  for (size_t i = 0; i < todo.size(); ++i) {
    if (stop_.load()) continue;
    try {
      const machine::ModelMesh& mesh = *todo[i];
      std::optional<machine::Decomposition> pieces;
      if (!root.empty()) pieces = machine::MeshCache(root).read(mesh.key);
      if (!pieces) {
        pieces = machine::decompose(mesh.mesh);
        // A cache that cannot be written leaves the pieces in memory only.
        if (!root.empty()) machine::MeshCache(root).write(mesh.key, *pieces);
      }
      job_.machine.setPieces(mesh.key, std::make_shared<const machine::Decomposition>(std::move(*pieces)));
    } catch (const std::exception&) {
    }
    const size_t finished = ++done;
    notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_MESH_CACHE_PROGRESS,
                     static_cast<int64_t>(100 * finished / std::max<size_t>(todo.size(), 1)), true);
  }
  if (todo.empty()) notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_MESH_CACHE_PROGRESS, 100, true);
}

}  // namespace view
