#include "machine/ViewMachine.h"

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

glm::dvec3 ViewMachine::programZero() const {
  std::lock_guard state(stateMutex_);
  return tableCenter_ - origin_;
}

}  // namespace machine
