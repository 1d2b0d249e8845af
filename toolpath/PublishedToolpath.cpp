#include "toolpath/PublishedToolpath.h"

namespace toolpath {

void PublishedToolpath::publish(Toolpath loaded, const ToolOrientationSource* tools,
                                const machine::Kinematics& kinematics) {
  std::lock_guard writers(writers_);
  if (tools && tools->anyToolHasOrientation()) loaded = loaded.withOrientationsOf(*tools);
  published_.store(std::make_shared<const Toolpath>(loaded.withCompensation(kinematics)));
}

bool PublishedToolpath::update(const std::function<std::optional<Toolpath>(const Toolpath&)>& change) {
  std::lock_guard writers(writers_);
  const Snapshot current = published_.load();
  if (!current) return false;
  std::optional<Toolpath> next = change(*current);
  if (!next) return false;
  published_.store(std::make_shared<const Toolpath>(std::move(*next)));
  return true;
}

}  // namespace toolpath
