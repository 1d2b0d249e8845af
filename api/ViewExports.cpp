// Exports of the view lifecycle and the notification channel.
#include <memory>

#include "api/OnView.h"
#include "api/SimulationContent.h"
#include "korvane/Korvane.h"
#include "platform/MessageBus.h"
#include "view/ProcessState.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetMessageHandler(SIM_Window window, SIM_MessageHandler handler, void* context) {
  try {
    return platform::setMessageHandler(window, handler, context) ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

SIM_EXPORT int32_t SIM_InitOpenGL(void) { return view::initWindowSystem(); }

SIM_EXPORT int32_t SIM_TerminateOpenGL(void) { return view::terminateWindowSystem(); }

SIM_EXPORT int32_t SIM_Hint(uint32_t hint, int32_t value) {
  view::setHint(hint, value);
  return 0;
}

SIM_EXPORT Render* SIM_CreateView(SIM_Window parent, bool wait) {
  try {
    auto view = std::make_unique<Render>();
    view->setSimulationDocument(
        [](Render& v) { return formats::encodeSimulation(api::simulationContentOf(v)); });
    view::viewOpened();
    try {
      view->startRenderThread(parent, view::currentHints());
    } catch (...) {
      view::viewClosed();
      throw;
    }
    if (!wait || view->waitForFirstFrame(true) == view::WindowStatus::Created) {
      view->timings().noteBare();
      return view.release();
    }
    view->stopThreads();
    view->destroyHostWindow();
    view.reset();
    view::viewClosed();
    return nullptr;
  } catch (...) {
    return nullptr;
  }
}

SIM_EXPORT int32_t SIM_CloseView(Render* view) {
  return api::onView<int32_t>(view, 0, -1, [](Render& closing) {
    // A view's own thread (a handler of a sent notification) cannot wait for
    // itself to end: the view closes and frees itself once that handler returned.
    closing.saveSetup();
    if (closing.isOwnThread()) {
      closing.releaseFromOwnThread();
      return 0;
    }
    {
      platform::DispatcherWait dispatcherWaits;  // when closing from a posted handler
      closing.stopThreads();
    }
    closing.destroyHostWindow();
    delete &closing;
    view::viewClosed();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_GetWindowHandle(Render* view, SIM_Window* window) {
  return api::onView<int32_t>(view, 1, 1, [&](Render& v) {
    if (v.waitForFirstFrame(false) != view::WindowStatus::Created) return 1;
    if (window) *window = v.windowHandle();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetCallbackWindow(Render* view, SIM_Window window, bool hostHandles) {
  return api::onView<int32_t>(view, 1, 1, [&](Render& v) {
    v.setCallbackWindow(window, hostHandles);
    return 0;
  });
}

SIM_EXPORT int32_t SIM_AddKeyBinding(Render* view, SIM_KeyBinding binding) {
  return api::onView(view, [&](Render& v) {
    v.mouseBindings().add(binding);
    return 0;
  });
}

SIM_EXPORT int32_t SIM_ReleaseKeyBindings(Render* view) {
  return api::onView(view, [](Render& v) {
    v.mouseBindings().release();
    return 0;
  });
}

}  // extern "C"
