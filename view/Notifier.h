#pragma once
// The notification forwarder of one view. Every part that reports to the host
// calls it with (message, wparam, lparam, post). Events that are only sent on
// change are dropped when their value repeats; message 1028 stays inside the
// view; the rest goes to the callback window, and unless the host handles
// notifications alone the view's default handling runs too.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "korvane/Korvane.h"

namespace view {

// The callable handed to every part that notifies the host.
using CallbackWindow = std::function<void(uint32_t message, uint64_t wparam, int64_t lparam, bool post)>;

inline constexpr uint32_t kInternalRedrawMessage = 1028;
inline constexpr int kTrackedEventCodes = 20;

// Events 5 (current line) and 11 (current entity) are only sent on change.
constexpr bool isSentOnlyOnChange(uint64_t event) {
  return event == SIM_EVENT_CURRENT_LINE_CHANGED || event == SIM_EVENT_CURRENT_ENTITY_CHANGED;
}

constexpr bool isProgressEvent(uint64_t event) {
  return event == SIM_EVENT_COLLISION_CHECK_PROGRESS || event == SIM_EVENT_COLLISION_PREPARE_PROGRESS ||
         event == SIM_EVENT_COMPARE_PROGRESS || event == SIM_EVENT_MESH_CACHE_PROGRESS ||
         event == SIM_EVENT_EXPORT_PROGRESS || event == SIM_EVENT_WAVEFRONT_PROGRESS;
}

// What the view does itself with notifications the host does not take alone.
// The parts that own these actions install them; an empty action does nothing.
struct DefaultHandling {
  std::function<void(int32_t percent)> showProgress;
  std::function<void()> viewportClickAction;   // event 6
  std::function<void()> presentationExport;    // event 17
  std::function<void(int64_t line)> showLine;  // event 5 moves the NC-code list
  std::function<void()> redraw;                // message 1028
};

class Notifier {
 public:
  Notifier();

  void setCallbackWindow(SIM_Window window, bool hostHandles);
  // Sets the pair unless a callback window was set already.
  void setCallbackWindowIfUnset(SIM_Window window, bool hostHandles);
  SIM_Window callbackWindow() const;
  bool hostHandles() const;

  void setDefaultHandling(DefaultHandling handling);

  void notify(uint32_t message, uint64_t wparam, int64_t lparam, bool post);
  CallbackWindow callback() {
    return [this](uint32_t m, uint64_t w, int64_t l, bool post) { notify(m, w, l, post); };
  }

  // The view's own handling of one event (progress bar, click action, export).
  void handleByDefault(uint64_t event, int64_t value);

  // Last percent shown by the view's own progress bar (-1 before any).
  int32_t shownProgress() const { return shownProgress_.load(); }

 private:
  DefaultHandling currentHandling();
  bool isRepeat(uint64_t event, int64_t value);

  std::mutex mutex_;
  std::array<int32_t, kTrackedEventCodes> lastValues_;
  DefaultHandling handling_;
  struct Target {
    SIM_Window window = 0;
    bool hostHandles = false;
  };
  Target target() const;

  mutable std::mutex targetMutex_;
  Target target_;
  std::atomic<int32_t> shownProgress_{-1};
};

}  // namespace view
