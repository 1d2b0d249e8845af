#pragma once
// A way back to a view for work that may outlive it (a thread waiting for
// the user's answer in a dialog): the view cuts the link before it goes,
// and work done through the link after that does nothing.
#include <mutex>

struct Render;

namespace view {

class ViewLink {
 public:
  explicit ViewLink(Render& view) : view_(&view) {}
  // Runs work with the view while it lives, holding the link: the view
  // waits for it before it goes. False when the view is gone.
  template <typename Work>
  bool with(Work&& work) {
    std::lock_guard lock(mutex_);
    if (!view_) return false;
    work(*view_);
    return true;
  }
  void cut() {
    std::lock_guard lock(mutex_);
    view_ = nullptr;
  }

 private:
  std::mutex mutex_;
  Render* view_;
};

}  // namespace view
