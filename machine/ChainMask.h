#pragma once
// Chain masks steer the walk along a part's kinematic chain: from the root
// axis the walk goes on to the last child with bit 0 set. Bit 0 marks axes
// that carry the chain onward: linear, rotary and spindle axes. Jaws and
// other collinear axes move beside the chain, and a turret turns only the
// tools it holds, so neither carries it. Bit 1 marks axes whose subtree holds
// a tool mount or a spindle, for walks that look for the tool.
#include <cstdint>

#include "machine/MachineDefinition.h"

namespace machine {

constexpr uint32_t kChainCarries = 1u << 0;
constexpr uint32_t kChainHoldsTool = 1u << 1;

inline uint32_t chainMaskOf(const Axis& axis) {
  uint32_t mask = axis.kind == AxisKind::Collinear || axis.kind == AxisKind::Turret ? 0u : kChainCarries;
  bool holdsTool = !axis.mounts.empty() || axis.kind == AxisKind::Spindle;
  for (const Axis& child : axis.children) holdsTool = holdsTool || (child.chainMask & kChainHoldsTool);
  if (holdsTool) mask |= kChainHoldsTool;
  return mask;
}

// The child the chain walk goes on to, or null at the chain's end.
inline const Axis* nextOnChain(const Axis& axis) {
  for (auto it = axis.children.rbegin(); it != axis.children.rend(); ++it)
    if (it->chainMask & kChainCarries) return &*it;
  return nullptr;
}

}  // namespace machine
