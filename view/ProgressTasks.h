#pragma once
// The tasks the view's progress bar shows: the host's (SIM_SetProgressBar)
// and the view's own long operations, each a percentage with a caption. The
// bar shows the task that is least far; a task above 99 % is done.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace view {

class ProgressTasks {
 public:
  struct Shown {
    uint32_t percent = 0;
    std::u16string caption;
  };

  void setProgress(uint32_t id, uint32_t percent, const std::u16string& caption);
  // The task shown, none when the bar is hidden.
  std::optional<Shown> shown() const;

 private:
  mutable std::mutex mutex_;
  std::map<uint32_t, Shown> tasks_;
  std::optional<std::pair<uint32_t, uint32_t>> last_;  // (id, percent)
};

}  // namespace view
