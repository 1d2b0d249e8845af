#include "view/Notifier.h"

#include "platform/MessageBus.h"

namespace view {

Notifier::Notifier() { lastValues_.fill(-1); }

void Notifier::setCallbackWindow(SIM_Window window, bool hostHandles) {
  std::lock_guard lock(targetMutex_);
  target_ = {window, hostHandles};
}

void Notifier::setCallbackWindowIfUnset(SIM_Window window, bool hostHandles) {
  std::lock_guard lock(targetMutex_);
  if (target_.window == 0) target_ = {window, hostHandles};
}

Notifier::Target Notifier::target() const {
  std::lock_guard lock(targetMutex_);
  return target_;
}

SIM_Window Notifier::callbackWindow() const { return target().window; }

bool Notifier::hostHandles() const { return target().hostHandles; }

void Notifier::setDefaultHandling(DefaultHandling handling) {
  std::lock_guard lock(mutex_);
  handling_ = std::move(handling);
}

bool Notifier::isRepeat(uint64_t event, int64_t value) {
  if (event >= kTrackedEventCodes || !isSentOnlyOnChange(event)) return false;
  std::lock_guard lock(mutex_);
  const auto narrowed = static_cast<int32_t>(value);
  if (lastValues_[event] == narrowed) return true;
  lastValues_[event] = narrowed;
  return false;
}

DefaultHandling Notifier::currentHandling() {
  std::lock_guard lock(mutex_);
  return handling_;
}

void Notifier::notify(uint32_t message, uint64_t wparam, int64_t lparam, bool post) {
  if (message == kInternalRedrawMessage) {
    if (auto redraw = currentHandling().redraw) redraw();
    return;
  }
  if (message == SIM_MESSAGE_NOTIFY && isRepeat(wparam, lparam)) return;
  if (message == SIM_MESSAGE_NOTIFY && wparam == SIM_EVENT_CURRENT_LINE_CHANGED) {
    if (auto showLine = currentHandling().showLine) showLine(lparam);
  }
  const Target to = target();
  if (to.window != 0) {
    if (post)
      platform::postMessage(to.window, message, wparam, lparam);
    else
      platform::sendMessage(to.window, message, wparam, lparam);
    if (to.hostHandles) return;
  }
  if (message == SIM_MESSAGE_NOTIFY) handleByDefault(wparam, lparam);
}

void Notifier::handleByDefault(uint64_t event, int64_t value) {
  const DefaultHandling handling = currentHandling();
  if (isProgressEvent(event)) {
    shownProgress_ = static_cast<int32_t>(value);
    if (handling.showProgress) handling.showProgress(static_cast<int32_t>(value));
  } else if (event == SIM_EVENT_VIEWPORT_CLICKED) {
    if (handling.viewportClickAction) handling.viewportClickAction();
  } else if (event == SIM_EVENT_SAVE_PRESENTATION_REQUESTED) {
    if (handling.presentationExport) handling.presentationExport();
  }
}

}  // namespace view
