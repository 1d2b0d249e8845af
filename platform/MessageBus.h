#pragma once
// Window messages to the host. A host registers a handler per window handle;
// posted messages are delivered in order by one dispatcher thread, sent
// messages run on the sender's thread once every earlier post to the same
// window has been delivered. A message to a window without a handler is
// dropped.
#include <cstdint>

#include "Korvane.h"

namespace platform {

void setMessageHandler(SIM_Window window, SIM_MessageHandler handler, void* context);
void postMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam);
void sendMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam);

}  // namespace platform
