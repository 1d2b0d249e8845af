#pragma once
// The ribbon's model: for each action number, whether the entry exists, is
// ticked, is enabled and is shown in its menu, and whether the bar must lay
// itself out again. Commands, setters and the ribbon bar change the entries
// by action number; the bar only draws this model. Host threads and the
// render thread use it without a lock: every byte is its own atomic.
#include <array>
#include <atomic>
#include <cstdint>

namespace UI {

// Action numbers run 0 to 92. The view's own, past the host's numbers:
// zoom window (the next box drawn is zoomed into) and zoom selection (the
// next box selects the toolpath's move ends inside it and frames them).
constexpr uint32_t kZoomWindowAction = 91, kZoomSelectionAction = 92;
constexpr uint32_t kRibbonActions = 93;

class RibbonState {
 public:
  RibbonState();

  bool present(uint32_t action) const { return action < kRibbonActions && entries_[action].present.load(); }
  bool ticked(uint32_t action) const { return present(action) && entries_[action].ticked.load(); }
  bool enabled(uint32_t action) const { return present(action) && entries_[action].enabled.load(); }
  bool shownInMenu(uint32_t action) const { return present(action) && entries_[action].shownInMenu.load(); }

  // "Ribbon check": the tick and a relayout; nothing for an absent entry.
  void check(uint32_t action, bool ticked);
  void setEnabled(uint32_t action, bool enabled);
  void requestRelayout() { relayout_ = 1; }
  // The bar takes the request when it lays itself out.
  bool takeRelayout() { return relayout_.exchange(0) != 0; }

 private:
  struct Entry {
    std::atomic<uint8_t> present{0}, ticked{0}, enabled{1}, shownInMenu{1};
  };
  std::array<Entry, kRibbonActions> entries_;
  std::atomic<uint8_t> relayout_{0};
};

}  // namespace UI
