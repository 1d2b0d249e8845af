// Exports that load the machine definition and place the machine against
// the program frame.
#include <cmath>
#include <filesystem>
#include <optional>
#include <mutex>
#include <shared_mutex>
#include <string_view>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "camera/DisplayFrame.h"
#include "machine/OrientationFrame.h"
#include "stock/StockShape.h"
#include "view/Render.h"

namespace {

// Lengths the host passes, in millimetres; none when not finite or too large.
std::optional<glm::dvec3> hostPoint(float x, float y, float z, double scale, int32_t& refused) {
  const glm::dvec3 p = glm::dvec3(x, y, z) * scale;
  for (int i = 0; i < 3; ++i) {
    if (!std::isfinite(p[i])) {
      refused = SIM_STATUS_NOT_FINITE;
      return std::nullopt;
    }
    if (std::fabs(p[i]) > SIM_LARGEST_LENGTH_MM) {
      refused = SIM_STATUS_OUT_OF_RANGE;
      return std::nullopt;
    }
  }
  return p;
}

void writeHostPoint(const glm::dvec3& mm, double scale, float* x, float* y, float* z) {
  *x = static_cast<float>(mm.x / scale);
  *y = static_cast<float>(mm.y / scale);
  *z = static_cast<float>(mm.z / scale);
}

// A record's mesh, or none when it cannot be used as given.
std::optional<machine::IndexedMesh> meshOf(const SIM_MachineModelRecord& record) {
  constexpr uint64_t kMostVertices = uint64_t{1} << 31;
  if (!record.path || record.vertexCount == 0 || !record.vertices || record.vertexCount >= kMostVertices) return std::nullopt;
  if (record.indexCount > 0 && !record.indices) return std::nullopt;
  if (record.indexCount >= kMostVertices) return std::nullopt;
  machine::IndexedMesh mesh;
  mesh.vertices.reserve(record.vertexCount);
  for (uint64_t i = 0; i < record.vertexCount; ++i) {
    const glm::vec3 v(record.vertices[3 * i], record.vertices[3 * i + 1], record.vertices[3 * i + 2]);
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return std::nullopt;
    mesh.vertices.push_back(v);
  }
  if (record.indices) {
    mesh.indices.assign(record.indices, record.indices + record.indexCount - record.indexCount % 3);
    for (uint32_t index : mesh.indices)
      if (index >= record.vertexCount) return std::nullopt;
  } else {
    for (uint32_t i = 0; i + 2 < record.vertexCount; i += 3) mesh.indices.insert(mesh.indices.end(), {i, i + 1, i + 2});
  }
  if (mesh.indices.empty()) return std::nullopt;
  return mesh;
}

constexpr glm::vec3 kStandardIsometric{-1.0f, -1.0f, -1.0f};

int32_t standardViewOf(const glm::dvec3& direction) {
  if (direction == glm::dvec3(0, -1, 0)) return SIM_VIEW_TOP;
  if (direction == glm::dvec3(0, 0, -1)) return SIM_VIEW_FRONT;
  return SIM_VIEW_ISOMETRIC;
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_CreateMachine(Render* view, const char* definition, uint32_t legacy, uint32_t unit) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    view::JobData& job = v.job();
    const std::string_view text = definition ? std::string_view(definition) : std::string_view();
    v.machineModels().join(true);
    job.machine.load(text, legacy == 1, unit, v.hints().directionMode);
    // The moves take the new kinematics over: compensation and, through the
    // new snapshot, the cut records.
    try {
      job.toolpath.update([&](const toolpath::Toolpath& path) { return path.withCompensation(*job.kinematics()); });
    } catch (const std::exception&) {
    }
    job.remountTools();
    {
      std::shared_lock read(job.machine.lock());
      if (const machine::Machine* loaded = job.machine.machine()) {
        const machine::MachineDefinition& definition = loaded->definition();
        job.setDisplayFrame(machine::orientationFrame(definition.orientation));
        // Horizontal machines look at the isometric from the other side.
        const int32_t code = standardViewOf(definition.defaultViewDirection);
        v.camera().setIsometricDirection(code == SIM_VIEW_ISOMETRIC ? glm::vec3(definition.defaultViewDirection)
                                                                     : kStandardIsometric);
        v.requestView(code);
      } else {
        job.setDisplayFrame(camera::defaultAxisTransformation());
        v.camera().setIsometricDirection(kStandardIsometric);
      }
    }
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_MachineLoadStatus SIM_GetMachineLoadStatus(Render* view) {
  const SIM_MachineLoadStatus none{SIM_MACHINE_NONE, 0, ""};
  return api::onView(view, none, none, [&](Render& v) {
    view::HostAnswers& out = v.job().answers;
    std::lock_guard answer(out.machineStatusMutex);
    out.machineStatusMessage = v.job().machine.message();
    return SIM_MachineLoadStatus{static_cast<int32_t>(v.job().machine.status()),
                                 static_cast<uint32_t>(v.machineModels().skippedModels()),
                                 out.machineStatusMessage.c_str()};
  });
}

SIM_EXPORT int32_t SIM_LoadMachineModels(Render* view, SIM_MachineModelList models) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    view::PathMeshes meshes;
    size_t skipped = 0;
    if (!models.models) {
      skipped = models.count;
    } else {
      for (uint64_t i = 0; i < models.count; ++i) {
        std::optional<machine::IndexedMesh> mesh = meshOf(models.models[i]);
        if (mesh) {
          meshes.emplace_back(models.models[i].path, std::move(*mesh));
        } else {
          ++skipped;
        }
      }
    }
    v.machineModels().start(std::move(meshes), skipped);
    return 0;
  });
}

SIM_EXPORT int32_t SIM_LoadMachineModelsPath(Render* view, const char* folder) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    v.machineModels().startFromFolder(folder ? std::filesystem::path(folder) : std::filesystem::path());
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetMachineOrigin(Render* view, float x, float y, float z) {
  return api::onView(view, [&](Render& v) {
    int32_t refused = 0;
    const auto origin = hostPoint(x, y, z, v.job().units.scale.load(), refused);
    if (!origin) return refused;
    v.job().machine.setOrigin(*origin, true);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_GetMachineOrigin(Render* view, float* x, float* y, float* z) {
  return api::onView(view, [&](Render& v) {
    if (!x || !y || !z) return int32_t{SIM_STATUS_BAD_ARRAY};
    writeHostPoint(v.job().machine.origin(), v.job().units.scale.load(), x, y, z);
    return 0;
  });
}

// The program zero that puts the bottom centre of the stock made last on
// the table centre; 250 mm below the machine zero without a stock.
SIM_EXPORT int32_t SIM_SuggestMachineOrigin(Render* view, float* x, float* y, float* z) {
  return api::onView(view, [&](Render& v) {
    if (!x || !y || !z) return int32_t{SIM_STATUS_BAD_ARRAY};
    glm::dvec3 suggestion(0.0, 0.0, -250.0);
    const stock::StockCollection& stocks = v.job().stocks;
    if (const auto current = stocks.currentStock())
      if (const auto stock = stocks.stock(*current); stock && stock->shape) {
        const stock::StockBox box = stock::boundsOf(*stock->shape);
        suggestion = v.job().machine.tableCenter() - glm::dvec3(box.centre().x, box.centre().y, box.min.z);
      }
    writeHostPoint(suggestion, v.job().units.scale.load(), x, y, z);
    return 0;
  });
}

}  // extern "C"
