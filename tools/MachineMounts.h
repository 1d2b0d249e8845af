#pragma once
// The loaded machine's tool mounts as the tool table sees them: one machine
// holder per mount (its holder models, in the mount's frame), which mount a
// tool and its host holder fit, the placement a mount gives a holder, and
// the machine's tool numbers (the revolver's slots).
//
// A mount's frame has its origin at the mount position and +Y from a
// mounted tool's tip towards the holder, as the tool's own frame does. A
// tool fits a mount when its host holder's mounting selector names the
// mount's type (0 MILL, 1 TURN_SHANK, 2 CUSTOM), its tool side (record
// word 356: 0 either, 1 left, 2 right, 3 both) and, on mounts other than
// MILL, its insert side (word 376: 0 either, 1 front, 2 back) agree with
// the mount's ("EITHER" and "BOTH" mounts take any), and the turret slot it
// sits in is one of the mount's compatible slots. The first fitting mount
// in the machine's mount order holds the tool.
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include <glm/mat3x3.hpp>

#include "machine/Machine.h"
#include "machine/ViewMachine.h"
#include "tools/Holder.h"

namespace tools {

class MachineMounts final : public MachineHolders {
 public:
  // meshes: the machine's model meshes in the order of machine.models(),
  // null where none is loaded; colour: for models without a colour of their own.
  MachineMounts(const machine::Machine& machine, std::span<const std::shared_ptr<const machine::ModelMesh>> meshes,
                const glm::vec3& colour);

  size_t count() const { return mounts_.size(); }
  // The mount a tool fits with a host holder of the given mounting selector.
  std::optional<size_t> mountFor(const SIM_ToolRecord& tool, uint32_t holderMounting,
                                 std::optional<uint32_t> slot) const;

  // MachineHolders
  std::optional<HolderGeometry> holderFor(const SIM_ToolRecord& tool, const HolderGeometry& host,
                                          std::optional<uint32_t> slot) const override;
  const HolderGeometry* holder(size_t index) const override;
  // A mount with two positions holds right-side tools at the second; a
  // back insert turns the holder half a turn about the tool axis.
  std::optional<Placement> placementFor(const SIM_ToolRecord& tool, const SIM_HolderRecord& holder) const override;
  bool knowsNumber(uint32_t number) const override { return numbers_.count(number) > 0; }

 private:
  struct Mount {
    machine::ToolMount definition;  // without its models
    glm::dmat3 frame{1.0};          // mount frame axes in the machine frame
    bool onRevolver = false;
  };
  std::vector<Mount> mounts_;
  std::vector<HolderGeometry> holders_;  // one per mount
  std::set<uint32_t> numbers_;
};

}  // namespace tools
