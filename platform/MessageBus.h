#pragma once
// Window messages to the host. A host registers a handler per window handle;
// posted messages are delivered in order by one dispatcher thread, sent
// messages run on the sender's thread once every earlier post to the same
// window has been delivered. A message to a window without a handler is
// dropped.
#include <cstdint>

#include "korvane/Korvane.h"

namespace platform {

bool setMessageHandler(SIM_Window window, SIM_MessageHandler handler, void* context);
void postMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam);
void sendMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam);

// Marks, for its lifetime, that the dispatcher thread (when it is the calling
// thread, inside a host's handler) waits for another thread, for example to
// join a view's render thread. Senders then stop waiting for the dispatcher
// to deliver their earlier posts, which it could not do before they finish.
class DispatcherWait {
 public:
  DispatcherWait();
  ~DispatcherWait();
  DispatcherWait(const DispatcherWait&) = delete;
  DispatcherWait& operator=(const DispatcherWait&) = delete;

 private:
  bool active_;
};

}  // namespace platform
