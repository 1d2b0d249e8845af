#pragma once
// The machine of one view: the loaded machine with its axis values, the
// machine origin and how the last load went. Loads take the machine lock
// exclusively; drawing, posing and collision checks share it. The kinematics
// are published apart, so the toolpath and the cut keep the block they were
// built with while a new machine loads.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/Published.h"
#include "machine/DefinitionReader.h"
#include "machine/Kinematics.h"
#include "machine/Machine.h"
#include "machine/MeshCache.h"

namespace machine {

// A model's mesh in the machine frame with every axis at 0 (millimetres),
// its geometry key, its feature edges (vertex index pairs) and, once
// built, its convex pieces.
struct ModelMesh {
  IndexedMesh mesh;
  std::vector<uint32_t> edges;
  glm::vec3 min{0.0f}, max{0.0f};  // the mesh's box
  uint64_t key = 0;
  std::shared_ptr<const Decomposition> pieces;
};

class ViewMachine {
 public:
  ViewMachine();

  // The view's machine lock: exclusive to load, shared to read the machine
  // and its axis values.
  std::shared_mutex& lock() const { return lock_; }

  // Loads a definition in place of the current machine (taking the lock).
  // A failed parse leaves the view without a machine. The origin moves to
  // the table centre, marked as not set by the host.
  LoadStatus load(std::string_view text, bool legacy, uint32_t hostUnit, bool directionMode);

  // Under the lock: the machine (null when none) and its axis values, one
  // per node.
  const Machine* machine() const { return machine_.get(); }
  std::vector<double>& axisValues() { return values_; }
  const std::vector<double>& axisValues() const { return values_; }

  // Under the lock: one mesh per model of the machine (null: not loaded),
  // and a count that goes up whenever they change.
  const std::vector<std::shared_ptr<const ModelMesh>>& meshes() const { return meshes_; }
  uint64_t meshRevision() const { return meshRevision_.load(); }
  // Takes the lock: gives each model whose path has a mesh its copy, placed
  // by the model's unit and origin. The number of models left without one.
  size_t setMeshes(const std::vector<std::pair<std::string, IndexedMesh>>& byPath);
  // Takes the lock: the convex pieces of the model with that mesh key.
  void setPieces(uint64_t key, std::shared_ptr<const Decomposition> pieces);
  // Whether the machine's base, head and table are drawn.
  std::atomic<bool> showBase{true}, showHead{true}, showTable{true};

  // The kinematics the toolpath uses: the identity without a machine.
  std::shared_ptr<const Kinematics> kinematics() const { return kinematics_.load(); }

  // The last load's status and the reader's message.
  LoadStatus status() const;
  std::string message() const;

  // The machine origin: where the program zero lies in machine coordinates
  // with every axis at 0 (millimetres); a load puts it at the table centre.
  void setOrigin(const glm::dvec3& origin, bool fromHost);
  glm::dvec3 origin() const;
  bool originFromHost() const;
  glm::dvec3 tableCenter() const;

 private:
  mutable std::shared_mutex lock_;
  std::unique_ptr<Machine> machine_;
  std::vector<double> values_;
  std::vector<std::shared_ptr<const ModelMesh>> meshes_;
  std::atomic<uint64_t> meshRevision_{0};
  common::Published<Kinematics> kinematics_;

  mutable std::mutex stateMutex_;  // the fields below, read without the machine lock
  LoadStatus status_ = LoadStatus::NoMachine;
  std::string message_;
  glm::dvec3 origin_{0.0};
  glm::dvec3 tableCenter_{0.0};
  bool originFromHost_ = false;
};

}  // namespace machine
