#pragma once
// The toolpath of a view as snapshots. Host calls build a new toolpath
// without holding anything, then publish it; every frame, step and export
// takes one snapshot and reads only it, so nobody sees half of one toolpath
// and half of the next. Tool orientations and compensation are applied
// before a snapshot is published, and a change of either publishes a new
// snapshot made from the current one.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "common/Published.h"
#include "machine/Kinematics.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

class PublishedToolpath {
 public:
  using Snapshot = std::shared_ptr<const Toolpath>;

  // The current snapshot; null until the first toolpath arrives.
  Snapshot current() const { return published_.load(); }

  // Publishes a loaded toolpath with the tools' orientations (when any tool
  // carries one) and the compensation applied.
  void publish(Toolpath loaded, const ToolOrientationSource* tools, const machine::Kinematics& kinematics);

  // Publishes change(current) when there is a current snapshot and change
  // gives one; the same for every writer in turn, so no change is lost to
  // another made at the same time. True when a snapshot was published.
  bool update(const std::function<std::optional<Toolpath>(const Toolpath&)>& change);

 private:
  std::mutex writers_;  // one derivation and publication at a time
  common::Published<Toolpath> published_;
};

}  // namespace toolpath
