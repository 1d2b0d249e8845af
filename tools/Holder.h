#pragma once
// A tool holder: its model mesh, placement and mounting selector, from the
// host's holder record or from the machine.
#include <cstdint>
#include <optional>
#include <string>

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

#include "korvane/Korvane.h"
#include "tools/PackedMesh.h"

namespace tools {

struct HolderGeometry {
  SIM_HolderRecord record{};  // as the host gave it (host units)
  std::string name;           // the model path text, which also names the holder
  PackedMesh mesh;            // millimetres, in the holder's own frame
  glm::vec3 origin{0.0f};     // millimetres
  glm::mat3 rotation{1.0f};
  uint32_t mounting = 0;
};

// Reads the holder's model (scaled by its record's scale, 0 counting as 1)
// and takes its placement; lengths from host units by unitScale.
HolderGeometry holderFrom(const SIM_HolderRecord& record, double unitScale);

// The machine's side of holder matching: the machine holder a tool's
// mounting selects (and the turret slot it sits in, if any), whose geometry
// a host holder without a mesh of its own takes over. Without a machine
// there is none.
class MachineHolders {
 public:
  virtual ~MachineHolders() = default;
  virtual std::optional<HolderGeometry> holderFor(const SIM_ToolRecord& tool, const HolderGeometry& host,
                                                  std::optional<uint32_t> slot) const = 0;
  // Machine holder number `index` (tool records address them past the host holders).
  virtual const HolderGeometry* holder(size_t index) const = 0;
  // Where the machine places the host holder a tool mounts (millimetres);
  // none when the machine does not place it.
  struct Placement {
    glm::vec3 origin{0.0f};
    glm::mat3 rotation{1.0f};
  };
  virtual std::optional<Placement> placementFor(const SIM_ToolRecord& tool, const SIM_HolderRecord& holder) const = 0;
  // Whether a tool's machine number is one the machine knows.
  virtual bool knowsNumber(uint32_t) const { return false; }
};

class NoMachineHolders final : public MachineHolders {
 public:
  std::optional<HolderGeometry> holderFor(const SIM_ToolRecord&, const HolderGeometry&,
                                          std::optional<uint32_t>) const override {
    return std::nullopt;
  }
  const HolderGeometry* holder(size_t) const override { return nullptr; }
  std::optional<Placement> placementFor(const SIM_ToolRecord&, const SIM_HolderRecord&) const override {
    return std::nullopt;
  }
};

}  // namespace tools
