#include "tools/MachineMounts.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>

namespace tools {

namespace {

using machine::InsertSide;
using machine::MountType;
using machine::SlotSet;
using machine::ToolSide;

// Axes of a mount frame whose +Y is the tool direction.
glm::dmat3 mountFrame(const glm::dvec3& toolDirection) {
  const glm::dvec3 y = glm::normalize(toolDirection);
  const glm::dvec3 reference = std::fabs(y.z) < 0.9 ? glm::dvec3(0, 0, 1) : glm::dvec3(1, 0, 0);
  const glm::dvec3 x = glm::normalize(glm::cross(y, reference));
  return glm::dmat3(x, y, glm::cross(x, y));
}

bool sideFits(ToolSide mount, uint32_t tool) {
  return mount == ToolSide::Either || mount == ToolSide::Both || tool == 0 || tool == static_cast<uint32_t>(mount);
}

bool insertFits(InsertSide mount, uint32_t tool) {
  return mount == InsertSide::Either || tool == 0 || tool == static_cast<uint32_t>(mount);
}

bool slotFits(const machine::ToolMount& mount, uint32_t slot) {
  switch (mount.slots) {
    case SlotSet::All: return true;
    case SlotSet::Odd: return slot % 2 == 1;
    case SlotSet::Even: return slot % 2 == 0;
    case SlotSet::Custom:
    case SlotSet::Listed:
      return mount.slotNumbers.empty() ||
             std::find(mount.slotNumbers.begin(), mount.slotNumbers.end(), static_cast<int32_t>(slot)) !=
                 mount.slotNumbers.end();
  }
  return false;
}

// A machine mesh (home machine frame) as a holder mesh in the mount frame.
void appendInMountFrame(const machine::IndexedMesh& mesh, const glm::dvec3& position, const glm::dmat3& frame,
                        uint32_t colour, PackedMesh& out) {
  const glm::dmat3 toMount = glm::transpose(frame);
  for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
    glm::vec3 corner[3];
    for (int k = 0; k < 3; ++k)
      corner[k] = glm::vec3(toMount * (glm::dvec3(mesh.vertices[mesh.indices[t + k]]) - position));
    const glm::vec3 across = glm::cross(corner[1] - corner[0], corner[2] - corner[0]);
    const float length = glm::length(across);
    const uint32_t normal = packToolNormal(length > 0.0f ? across / length : glm::vec3(0, 1, 0));
    for (const glm::vec3& c : corner) out.push_back({c.x, c.y, c.z, normal, colour, 0.0f});
  }
}

}  // namespace

MachineMounts::MachineMounts(const machine::Machine& machine,
                             std::span<const std::shared_ptr<const machine::ModelMesh>> meshes,
                             const glm::vec3& colour) {
  std::map<const machine::ModelEntry*, size_t> ownerOf;
  for (const machine::MountSlot& slot : machine.mounts()) {
    Mount mount;
    mount.definition = *slot.mount;
    mount.definition.models.clear();
    mount.frame = mountFrame(slot.toolDirection);
    mount.onRevolver = slot.onRevolver;
    for (const machine::ModelEntry& model : slot.mount->models) ownerOf[&model] = mounts_.size();
    HolderGeometry holder;
    holder.name = slot.mount->id;
    holder.mounting = static_cast<uint32_t>(slot.mount->type);
    holder.record.mounting = holder.mounting;
    holders_.push_back(std::move(holder));
    mounts_.push_back(std::move(mount));
  }
  const std::vector<machine::ModelSlot>& models = machine.models();
  for (size_t i = 0; i < models.size() && i < meshes.size(); ++i) {
    const auto owner = ownerOf.find(models[i].entry);
    if (owner == ownerOf.end() || !meshes[i]) continue;
    const glm::vec3 own = models[i].entry->color ? glm::vec3(*models[i].entry->color) : colour;
    appendInMountFrame(meshes[i]->mesh, mounts_[owner->second].definition.position, mounts_[owner->second].frame,
                       packColour(own), holders_[owner->second].mesh);
  }
  if (machine.definition().revolver)
    for (const machine::RevolverSlot& slot : machine.definition().revolver->slots)
      if (slot.number >= 0) numbers_.insert(static_cast<uint32_t>(slot.number));
}

std::optional<size_t> MachineMounts::mountFor(const SIM_ToolRecord& tool, uint32_t holderMounting,
                                              std::optional<uint32_t> slot) const {
  for (size_t i = 0; i < mounts_.size(); ++i) {
    const machine::ToolMount& mount = mounts_[i].definition;
    if (static_cast<uint32_t>(mount.type) != holderMounting) continue;
    if (!sideFits(mount.toolSide, tool.mountingSide)) continue;
    if (mount.type != MountType::Mill && !insertFits(mount.insertSide, tool.mountingSide2)) continue;
    if (slot && mounts_[i].onRevolver && !slotFits(mount, *slot)) continue;
    return i;
  }
  return std::nullopt;
}

std::optional<HolderGeometry> MachineMounts::holderFor(const SIM_ToolRecord& tool, const HolderGeometry& host,
                                                      std::optional<uint32_t> slot) const {
  const std::optional<size_t> mount = mountFor(tool, host.mounting, slot);
  if (!mount || holders_[*mount].mesh.empty()) return std::nullopt;
  return holders_[*mount];
}

const HolderGeometry* MachineMounts::holder(size_t index) const {
  return index < holders_.size() ? &holders_[index] : nullptr;
}

std::optional<MachineHolders::Placement> MachineMounts::placementFor(const SIM_ToolRecord& tool,
                                                                     const SIM_HolderRecord& holder) const {
  const std::optional<size_t> index = mountFor(tool, holder.mounting, std::nullopt);
  if (!index) return std::nullopt;
  const Mount& mount = mounts_[*index];
  const machine::ToolMount& definition = mount.definition;
  Placement placement;
  if (definition.secondPosition && tool.mountingSide == static_cast<uint32_t>(ToolSide::Right))
    placement.origin = glm::vec3(glm::transpose(mount.frame) * (*definition.secondPosition - definition.position));
  const bool back = definition.type != MountType::Mill &&
                    (definition.insertSide == InsertSide::Back ||
                     (definition.insertSide == InsertSide::Either && tool.mountingSide2 == 2));
  if (back) placement.rotation = glm::mat3(glm::vec3(-1, 0, 0), glm::vec3(0, 1, 0), glm::vec3(0, 0, -1));
  return placement;
}

}  // namespace tools
