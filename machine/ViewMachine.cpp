#include "machine/ViewMachine.h"

#include <algorithm>

#include <glm/common.hpp>

#include "machine/FeatureEdges.h"
#include "machine/GeometryKey.h"

namespace machine {

ViewMachine::ViewMachine() { kinematics_.store(std::make_shared<const IdentityKinematics>()); }

LoadStatus ViewMachine::load(std::string_view text, bool legacy, uint32_t hostUnit, bool directionMode) {
  DefinitionRead read = readDefinition(text, legacy, hostUnit);
  std::unique_ptr<Machine> loaded;
  glm::dvec3 tableCenter(0.0);
  if (read.status == LoadStatus::Loaded) {
    tableCenter = read.definition.tableCenter;
    loaded = std::make_unique<Machine>(std::move(read.definition), directionMode);
  }
  {
    std::unique_lock exclusive(lock_);
    machine_ = std::move(loaded);
    values_ = machine_ ? machine_->initialState() : std::vector<double>();
    meshes_.assign(machine_ ? machine_->models().size() : 0, nullptr);
    ++meshRevision_;
    if (machine_) {
      kinematics_.store(machine_->sharedKinematics());
    } else {
      kinematics_.store(std::make_shared<const IdentityKinematics>());
    }
  }
  std::lock_guard state(stateMutex_);
  status_ = read.status;
  message_ = std::move(read.message);
  tableCenter_ = tableCenter;
  origin_ = tableCenter;
  originFromHost_ = false;
  return status_;
}

size_t ViewMachine::setMeshes(const std::vector<std::pair<std::string, IndexedMesh>>& byPath) {
  std::unique_lock exclusive(lock_);
  if (!machine_) return 0;
  size_t missing = 0;
  const std::vector<ModelSlot>& models = machine_->models();
  meshes_.assign(models.size(), nullptr);
  for (size_t m = 0; m < models.size(); ++m) {
    const auto found = std::find_if(byPath.begin(), byPath.end(),
                                    [&](const auto& entry) { return entry.first == models[m].entry->path; });
    if (found == byPath.end() || found->second.indices.empty()) {
      ++missing;
      continue;
    }
    auto mesh = std::make_shared<ModelMesh>();
    const glm::dmat4 frame = machine_->modelFrame(*models[m].entry);
    mesh->mesh.indices = found->second.indices;
    mesh->mesh.vertices.reserve(found->second.vertices.size());
    for (const glm::vec3& v : found->second.vertices) mesh->mesh.vertices.emplace_back(frame * glm::dvec4(v, 1.0));
    mesh->key = geometryKey(mesh->mesh.vertices, mesh->mesh.indices);
    mesh->edges = featureEdges(mesh->mesh);
    mesh->min = mesh->max = mesh->mesh.vertices.front();
    for (const glm::vec3& v : mesh->mesh.vertices) {
      mesh->min = glm::min(mesh->min, v);
      mesh->max = glm::max(mesh->max, v);
    }
    meshes_[m] = std::move(mesh);
  }
  ++meshRevision_;
  return missing;
}

void ViewMachine::setPieces(uint64_t key, std::shared_ptr<const Decomposition> pieces) {
  std::unique_lock exclusive(lock_);
  for (auto& mesh : meshes_) {
    if (!mesh || mesh->key != key) continue;
    auto withPieces = std::make_shared<ModelMesh>(*mesh);
    withPieces->pieces = pieces;
    mesh = std::move(withPieces);
  }
}

LoadStatus ViewMachine::status() const {
  std::lock_guard state(stateMutex_);
  return status_;
}

std::string ViewMachine::message() const {
  std::lock_guard state(stateMutex_);
  return message_;
}

void ViewMachine::setOrigin(const glm::dvec3& origin, bool fromHost) {
  std::lock_guard state(stateMutex_);
  origin_ = origin;
  originFromHost_ = fromHost;
}

glm::dvec3 ViewMachine::origin() const {
  std::lock_guard state(stateMutex_);
  return origin_;
}

bool ViewMachine::originFromHost() const {
  std::lock_guard state(stateMutex_);
  return originFromHost_;
}

glm::dvec3 ViewMachine::tableCenter() const {
  std::lock_guard state(stateMutex_);
  return tableCenter_;
}

}  // namespace machine
