#include "view/SolidExports.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "formats/StlWriter.h"
#include "platform/ProcessMemory.h"

namespace view {

bool SolidExports::start(uint32_t solid, std::string path, double factor, MeshRequest requestMesh,
                         Progress progress) {
  std::lock_guard lock(mutex_);
  std::unique_ptr<Slot>& slot = slots_[solid];
  if (!slot) slot = std::make_unique<Slot>();
  if (slot->busy.exchange(true)) return false;
  if (slot->thread.joinable()) slot->thread.join();  // finished: busy was clear
  Slot& own = *slot;
  own.thread = std::thread([this, &own, path = std::move(path), factor, requestMesh = std::move(requestMesh),
                            progress = std::move(progress)] { run(own, path, factor, requestMesh, progress); });
  return true;
}

bool SolidExports::busy(uint32_t solid) const {
  std::lock_guard lock(mutex_);
  const auto it = slots_.find(solid);
  return it != slots_.end() && it->second->busy.load();
}

void SolidExports::joinAll() {
  std::lock_guard lock(mutex_);
  for (auto& [solid, slot] : slots_)
    if (slot->thread.joinable()) slot->thread.join();
}

void SolidExports::run(Slot& slot, const std::string& path, double factor, const MeshRequest& requestMesh,
                       const Progress& progress) {
  progress(10);
  stock::SurfaceMesh mesh;
  try {
    mesh = requestMesh(progress).get();
  } catch (const std::exception&) {
    // The view closed before its render thread got to the request.
  }
  progress(90);
  if (!mesh.vertices.empty() && !mesh.triangles.empty()) {
    const auto timed = timings_.time(Phase::StlWrite);
    // Written beside the target and renamed over it, so a failed write
    // never leaves half a file where a good one was.
    const std::string partial = path + ".part";
    bool written = false;
    try {
      std::ofstream file(partial, std::ios::binary | std::ios::trunc);
      if (file) {
        formats::writeBinaryStl(mesh.vertices, mesh.triangles, factor, [&](std::span<const uint8_t> bytes) {
          file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        });
        file.close();
        written = static_cast<bool>(file);
      }
    } catch (const std::exception&) {
      // Out of memory, or a malformed mesh: nothing is written.
    }
    std::error_code error;
    if (written) std::filesystem::rename(partial, path, error);
    if (!written || error) std::filesystem::remove(partial, error);
  }
  mesh = {};
  platform::returnFreeMemory();
  progress(100);
  slot.busy = false;
}

}  // namespace view
