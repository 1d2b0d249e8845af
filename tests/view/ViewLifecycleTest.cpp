// Views through the exports, the way a host drives them, on a virtual display.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/PrivateDisplay.h"
#include "support/X11TestWindow.h"
#include "view/ProcessState.h"
#include "view/Render.h"

namespace {

using testsupport::EventRecorder;
using testsupport::waitUntil;

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SIM_InitOpenGL(), 1) << "no X display"; }
  void TearDown() override {
    while (SIM_TerminateOpenGL() > 0) {
    }
  }
};

// A view created, waiting, with one hint set to `value` for its creation only.
Render* createWithHint(uint32_t hint, int32_t value, SIM_Window parent = 0) {
  SIM_Hint(hint, value);
  Render* view = SIM_CreateView(parent, true);
  SIM_Hint(hint, 0);
  return view;
}

// The window system is reference counted. Without it a view fails
// cleanly; the last terminate leaves it up for the views still open, and it
// goes with the last of them.
TEST(WindowSystem, ReferenceCountedAndKeptUntilTheLastViewCloses) {
  EXPECT_EQ(SIM_InitOpenGL(), 1);
  EXPECT_EQ(SIM_InitOpenGL(), 2);
  EXPECT_EQ(SIM_TerminateOpenGL(), 1);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0) << "terminating with no reference is harmless";
  EXPECT_EQ(SIM_CreateView(0, true), nullptr);
  // Without waiting the view exists but reports the failure.
  Render* view = SIM_CreateView(0, false);
  ASSERT_NE(view, nullptr);
  SIM_Window window = 123;
  EXPECT_EQ(SIM_GetWindowHandle(view, &window), 1);
  EXPECT_EQ(window, SIM_Window{123});
  EXPECT_EQ(SIM_CloseView(view), 0);

  ASSERT_EQ(SIM_InitOpenGL(), 1);
  view = SIM_CreateView(0, true);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
  // The view keeps drawing in its window until the host closes it.
  const uint64_t frames = view->frameCounter();
  EXPECT_TRUE(waitUntil([&] { return view->frameCounter() > frames; }));
  window = 0;
  EXPECT_EQ(SIM_GetWindowHandle(view, &window), 0);
  EXPECT_NE(window, 0u);
  EXPECT_EQ(SIM_CloseView(view), 0);
  // Closed with the last view: a new view needs a new initialisation.
  EXPECT_EQ(SIM_CreateView(0, true), nullptr);
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  view = SIM_CreateView(0, true);
  EXPECT_NE(view, nullptr);
  EXPECT_EQ(SIM_CloseView(view), 0);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
}

// A waiting creation returns after the first frame; one that does not wait
// returns a view that finishes on its own. A view without parent is shown
// unless a hint keeps its window unmapped.
TEST_F(ViewTest, CreationWaitsForTheFirstFrameAndHintsKeepTheWindowUnmapped) {
  testsupport::X11TestWindow probe(8, 8);
  const struct {
    const char* name;
    bool wait;
    std::optional<uint32_t> hint;
  } cases[] = {{"waiting", true, std::nullopt},
               {"not waiting", false, std::nullopt},
               {"start hidden", true, SIM_HINT_START_HIDDEN},
               {"headless", true, SIM_HINT_HEADLESS}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Render* view = c.hint ? createWithHint(*c.hint, 1) : SIM_CreateView(0, c.wait);
    ASSERT_NE(view, nullptr);
    if (!c.hint) {
      EXPECT_EQ(view->frameDone(), c.wait) << "returns before the window was made unless it waits";
      EXPECT_TRUE(!c.wait || view->frameCounter() >= 1u) << "a waiting creation has its first frame";
    }
    SIM_Window window = 0;
    EXPECT_EQ(SIM_GetWindowHandle(view, &window), 0) << "waits for the window";
    if (!c.hint) {
      EXPECT_TRUE(view->frameDone());
      EXPECT_NE(window, 0u);
    }
    if (c.wait) {
      EXPECT_EQ(probe.isViewable(window), !c.hint);
    }
    EXPECT_EQ(SIM_CloseView(view), 0);
  }
}

// A key and a click in the view's window reach the host: the key code in
// the high half with no modifier held; a press and release at one spot is
// a click (where no interface panel lies: the ribbon bar is at the top,
// the information panel at the bottom left).
void expectInputReachesHost(testsupport::X11TestWindow& host, SIM_Window window, EventRecorder& inbox,
                            KeySym key, char code) {
  host.sendKey(window, key, true);
  const auto pressed = inbox.waitFor(SIM_MESSAGE_NOTIFY, SIM_EVENT_KEY);
  ASSERT_TRUE(pressed);
  EXPECT_EQ(SIM_KEY_EVENT_KEY(pressed->lparam), code);
  EXPECT_EQ(pressed->lparam, int64_t{code} << 32);
  host.sendButton(window, 1, 300, 150, true);
  host.sendButton(window, 1, 300, 150, false);
  EXPECT_TRUE(inbox.waitFor(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEWPORT_CLICKED));
}

// The user closes the view's window: the closing event is sent from the
// render thread, then the closed message posted.
void expectUserCloseReachesHost(testsupport::X11TestWindow& host, SIM_Window window, EventRecorder& inbox) {
  host.sendCloseRequest(window);
  const auto closing = inbox.waitFor(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEW_CLOSING);
  const auto closed = inbox.waitFor(SIM_MESSAGE_VIEW_CLOSED, 0);
  ASSERT_TRUE(closing && closed);
  EXPECT_NE(closing->thread, closed->thread) << "the closing event is sent on the render thread, closed posted";
  const auto all = inbox.messages();
  const auto at = [&](uint32_t message, uint64_t wparam) {
    return std::find_if(all.begin(), all.end(), [&](const auto& m) { return m.message == message && m.wparam == wparam; });
  };
  EXPECT_LT(at(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEW_CLOSING), at(SIM_MESSAGE_VIEW_CLOSED, 0));
}

TEST_F(ViewTest, ParentedViewFillsItsHostAndReportsToIt) {
  testsupport::X11TestWindow host(640, 480);
  ASSERT_TRUE(host.ok());
  EventRecorder inbox(host.id());
  Render* view = SIM_CreateView(host.id(), true);
  ASSERT_NE(view, nullptr);
  SIM_Window window = 0;
  ASSERT_EQ(SIM_GetWindowHandle(view, &window), 0);
  EXPECT_EQ(host.parentOf(window), host.id());
  int width = 0, height = 0;
  host.sizeOf(window, width, height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  EXPECT_EQ(view->notifier().callbackWindow(), host.id()) << "the parent becomes the callback window";
  EXPECT_TRUE(view->notifier().hostHandles());
  EXPECT_EQ(SIM_SetCallbackWindow(view, 0, false), 0);
  EXPECT_EQ(view->notifier().callbackWindow(), host.id()) << "a null window changes nothing";
  expectInputReachesHost(host, window, inbox, XK_a, 'A');
  expectUserCloseReachesHost(host, window, inbox);
  EXPECT_EQ(SIM_GetWindowHandle(view, &window), 0);
  EXPECT_EQ(window, 0u) << "the window is gone; the host still closes the view";
  EXPECT_EQ(SIM_CloseView(view), 0);
}

TEST_F(ViewTest, OffscreenHostModeCopiesFramesIntoAPlainChildWindow) {
  testsupport::X11TestWindow host(320, 200);
  ASSERT_TRUE(host.ok());
  EventRecorder inbox(host.id());
  Render* view = createWithHint(SIM_HINT_OFFSCREEN_HOST, 1, host.id());
  ASSERT_NE(view, nullptr);
  SIM_Window window = 0;
  ASSERT_EQ(SIM_GetWindowHandle(view, &window), 0);
  EXPECT_EQ(host.parentOf(window), host.id());
  EXPECT_TRUE(host.isViewable(window));
  EXPECT_EQ(view->framebufferWidth(), 320);
  EXPECT_EQ(view->framebufferHeight(), 200);

  // The background of the drawn frame arrives in the child window.
  auto waitForPixel = [&](int x, int y, uint32_t colour) {
    return waitUntil([&] { return host.pixelAt(window, x, y) == colour; });
  };
  const uint32_t background = 0xEDF0F5;  // (0.93, 0.94, 0.96)
  // Below the ribbon bar, above the playback and status bars.
  EXPECT_TRUE(waitForPixel(300, 80, background)) << std::hex << host.pixelAt(window, 300, 80);
  EXPECT_TRUE(waitForPixel(319, 80, background));

  // The host grows its window and the child; the hidden framebuffer follows,
  // and the new right edge shows the background only once a grown frame arrived.
  host.resize(host.id(), 400, 300);
  host.resize(window, 400, 300);
  waitUntil([&] { return view->framebufferWidth() == 400; });
  EXPECT_EQ(view->framebufferWidth(), 400);
  EXPECT_EQ(view->framebufferHeight(), 300);
  EXPECT_TRUE(waitForPixel(399, 180, background)) << std::hex << host.pixelAt(window, 399, 180);

  // Input of the child window drives the view like its own window's would.
  expectInputReachesHost(host, window, inbox, XK_n, 'N');

  // Handing notifications to another host window moves the child along.
  testsupport::X11TestWindow other(100, 80);
  EXPECT_EQ(SIM_SetCallbackWindow(view, other.id(), true), 0);
  EXPECT_EQ(host.parentOf(window), other.id());
  EXPECT_EQ(SIM_CloseView(view), 0);
}

// Whole windows' pixels are compared: another test's window on a shared
// display would cover them.
class ViewOnOwnDisplay : public ViewTest {
 protected:
  testsupport::PrivateDisplay ownDisplay;  // made before SetUp opens the display
};

// The administrator's render scale: the hidden framebuffer is that multiple
// of the host window, and the frame arrives at the host window's size
// looking as a frame drawn at 1 does (bars, panels and text at their size,
// the whole frame, not a corner of it).
TEST_F(ViewOnOwnDisplay, ARenderScaleDrawsLargerAndShowsTheFrameAtTheHostWindowsSize) {
  ASSERT_TRUE(ownDisplay.ok());
  // What an offscreen view in a 320 x 200 host window shows once its
  // frames stop changing.
  auto shownPixels = [](Render* view, testsupport::X11TestWindow& host, int framebufferWidth) {
    std::vector<uint32_t> pixels;
    SIM_Window window = 0;
    EXPECT_EQ(SIM_GetWindowHandle(view, &window), 0);
    EXPECT_EQ(view->framebufferWidth(), framebufferWidth);
    EXPECT_TRUE(waitUntil([&] { return host.pixelAt(window, 300, 80) == 0xEDF0F5; }));
    for (int tries = 0; tries < 50; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      std::vector<uint32_t> now = host.pixelsOf(window);
      if (now == pixels) break;
      pixels = std::move(now);
    }
    return pixels;
  };
  // One host window at a time: a window on top of another hides its pixels.
  auto plainHost = std::make_unique<testsupport::X11TestWindow>(320, 200);
  ASSERT_TRUE(plainHost->ok());
  Render* plain = createWithHint(SIM_HINT_OFFSCREEN_HOST, 1, plainHost->id());
  ASSERT_NE(plain, nullptr);
  const std::vector<uint32_t> atOne = shownPixels(plain, *plainHost, 320);
  EXPECT_EQ(SIM_CloseView(plain), 0);
  plainHost.reset();

  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("korvane-scale-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "TARVOSimulationViewer");
  std::ofstream(folder / "TARVOSimulationViewer" / "custom settings.json") << R"({"UI": {"OffscreenGdiScalingRenderScale": 2}})";
  const std::string before = std::getenv("XDG_CONFIG_HOME");
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  testsupport::X11TestWindow scaledHost(320, 200);
  ASSERT_TRUE(scaledHost.ok());
  Render* scaled = createWithHint(SIM_HINT_OFFSCREEN_HOST, 1, scaledHost.id());
  ::setenv("XDG_CONFIG_HOME", before.c_str(), 1);
  std::filesystem::remove_all(folder);
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(scaled->dpiX(), 192) << "points grow with the scale";
  const std::vector<uint32_t> atTwo = shownPixels(scaled, scaledHost, 640);
  EXPECT_EQ(scaled->framebufferHeight(), 400);
  EXPECT_EQ(SIM_CloseView(scaled), 0);

  ASSERT_EQ(atOne.size(), 320u * 200u);
  ASSERT_EQ(atTwo.size(), atOne.size());
  // Edges and text are smoothed differently; everything else matches.
  size_t differing = 0;
  for (size_t i = 0; i < atOne.size(); ++i)
    for (int shift = 0; shift < 24; shift += 8)
      if (std::abs(int((atOne[i] >> shift) & 0xFF) - int((atTwo[i] >> shift) & 0xFF)) > 24) {
        ++differing;
        break;
      }
  EXPECT_LT(differing, atOne.size() / 20) << differing << " of " << atOne.size() << " pixels differ";
}

// Without a parent the offscreen-mode window is a top-level window of its
// own, and closing it closes the view as an embedded one does.
TEST_F(ViewTest, ClosingAStandaloneOffscreenWindowClosesTheView) {
  testsupport::X11TestWindow listener(8, 8);
  EventRecorder inbox(listener.id());
  Render* view = createWithHint(SIM_HINT_OFFSCREEN_HOST, 1);
  ASSERT_NE(view, nullptr);
  SIM_Window window = 0;
  ASSERT_EQ(SIM_GetWindowHandle(view, &window), 0);
  EXPECT_TRUE(listener.isViewable(window));
  EXPECT_EQ(SIM_SetCallbackWindow(view, listener.id(), false), 0);
  expectUserCloseReachesHost(listener, window, inbox);
  EXPECT_EQ(SIM_CloseView(view), 0);
}

// Runs body on another thread; a body that does not finish in time means a
// deadlock, and the process ends rather than hang the suite.
template <typename Body>
void finishesOrDie(Body body) {
  auto done = std::async(std::launch::async, body);
  if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    std::fprintf(stderr, "deadlock: the body did not finish within 20 s\n");
    std::_Exit(1);
  }
  done.get();
}

struct CloseFromHandler {
  Render* view = nullptr;
  uint64_t onEvent = 0;
  int result = 1;
  int sleepMs = 0;
  std::atomic<bool> started{false};
  std::atomic<bool> closingSent{false};
};

void closeOnEvent(void* c, SIM_Window, uint32_t message, uint64_t wparam, int64_t) {
  auto* ctx = static_cast<CloseFromHandler*>(c);
  if (message == SIM_MESSAGE_NOTIFY && wparam == SIM_EVENT_VIEW_CLOSING) ctx->closingSent = true;
  if (message != SIM_MESSAGE_NOTIFY || wparam != ctx->onEvent || !ctx->view) return;
  ctx->started = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(ctx->sleepMs));
  Render* view = std::exchange(ctx->view, nullptr);
  ctx->result = SIM_CloseView(view);
}

// A handler closes the view: from the closing event, sent on the render
// thread itself; or from a posted click, while the render thread, after the
// user closed the window, waits to send the closing event behind that click.
TEST_F(ViewTest, ClosingFromAHandlerFreesTheViewWithoutDeadlock) {
  for (uint64_t onEvent : {uint64_t{SIM_EVENT_VIEW_CLOSING}, uint64_t{SIM_EVENT_VIEWPORT_CLICKED}}) {
    const bool posted = onEvent == SIM_EVENT_VIEWPORT_CLICKED;
    SCOPED_TRACE(posted ? "posted click" : "sent closing event");
    testsupport::X11TestWindow host(400, 300);
    CloseFromHandler context;
    context.onEvent = onEvent;
    context.sleepMs = posted ? 300 : 0;
    SIM_SetMessageHandler(host.id(), closeOnEvent, &context);
    context.view = SIM_CreateView(host.id(), true);
    ASSERT_NE(context.view, nullptr);
    SIM_Window window = 0;
    SIM_GetWindowHandle(context.view, &window);
    finishesOrDie([&] {
      if (posted) {
        // A click on the scene, clear of the interface's bars and panels.
        host.sendButton(window, 1, 395, 80, true);
        host.sendButton(window, 1, 395, 80, false);
        while (!context.started) std::this_thread::yield();
      }
      host.sendCloseRequest(window);
      waitUntil([] { return view::openViewCount() == 0; }, std::chrono::seconds(10));
      SIM_SetMessageHandler(host.id(), nullptr, nullptr);
    });
    EXPECT_EQ(context.result, 0);
    EXPECT_TRUE(context.closingSent) << "the render thread sent the closing event";
    EXPECT_EQ(view::openViewCount(), 0u);
  }
}

TEST_F(ViewTest, HostRequestsRunOnTheRenderThreadAndStockWorkWaitsForTheStockLock) {
  Render* view = SIM_CreateView(0, true);
  ASSERT_NE(view, nullptr);
  std::promise<std::thread::id> ranOn;
  view->commands().post(view::CommandStage::BeforeFrame, [&] { ranOn.set_value(std::this_thread::get_id()); });
  auto id = ranOn.get_future();
  ASSERT_EQ(id.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_NE(id.get(), std::this_thread::get_id());

  std::atomic<bool> stockDone{false};
  {
    std::unique_lock changing(view->stock().lock());  // a host call changes stocks
    view->commands().post(view::CommandStage::StockUnlocked, [&] { stockDone = true; });
    const uint64_t frames = view->frameCounter();
    waitUntil([&] { return view->frameCounter() >= frames + 3; });
    EXPECT_FALSE(stockDone.load()) << "not while the stock lock is held";
  }
  EXPECT_TRUE(waitUntil([&] { return stockDone.load(); }));
  EXPECT_EQ(SIM_CloseView(view), 0);
}

TEST_F(ViewTest, AnIdleViewSleepsBetweenIterations) {
  // Hidden, so that windows of other programs on the display cannot expose it.
  Render* view = createWithHint(SIM_HINT_START_HIDDEN, 1);
  ASSERT_NE(view, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // past the active second
  const uint64_t iterations = view->iterations();
  const uint64_t drawn = view->framesDrawn();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const uint64_t ran = view->iterations() - iterations;
  // 15 ms pacing plus 35 ms idle sleep: about ten iterations, never a busy loop.
  EXPECT_GE(ran, 2u);
  EXPECT_LE(ran, 40u);
  EXPECT_EQ(view->framesDrawn(), drawn) << "an unchanged idle view is not drawn again";
  view->requestRedraw();
  EXPECT_TRUE(waitUntil([&] { return view->framesDrawn() > drawn; }, std::chrono::seconds(1)));
  EXPECT_EQ(SIM_CloseView(view), 0);
}

TEST_F(ViewTest, KeyBindingsAreStoredPerView) {
  Render* view = SIM_CreateView(0, true);
  ASSERT_NE(view, nullptr);
  SIM_KeyBinding binding{};
  binding.input = 1;
  binding.state = 1;
  binding.action = 6;
  EXPECT_EQ(SIM_AddKeyBinding(view, binding), 0);
  EXPECT_TRUE(view->mouseBindings().isBound(6));
  binding.input = 9;
  binding.action = 7;
  EXPECT_EQ(SIM_AddKeyBinding(view, binding), 0) << "rejected silently";
  EXPECT_FALSE(view->mouseBindings().isBound(7));
  EXPECT_EQ(SIM_ReleaseKeyBindings(view), 0);
  EXPECT_FALSE(view->mouseBindings().isBound(6));
  EXPECT_EQ(SIM_CloseView(view), 0);
}

}  // namespace

namespace {

// The host destroys its window, and with it the embedded view window, before
// closing the view, or names a parent that does not exist; in either mode the
// view must neither crash nor take the process down.
TEST(HostWindow, DestroyedOrBogusParentsDoNotEndTheProcess) {
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  for (int offscreen = 0; offscreen < 2; ++offscreen) {
    for (bool bogus : {false, true}) {
      SCOPED_TRACE(std::string(bogus ? "bogus" : "destroyed") + (offscreen ? ", offscreen" : ""));
      auto host = bogus ? nullptr : std::make_unique<testsupport::X11TestWindow>(200, 100);
      Render* view = createWithHint(SIM_HINT_OFFSCREEN_HOST, offscreen, bogus ? 0x7FFFFFF0 : host->id());
      ASSERT_NE(view, nullptr);
      SIM_Window window = 0;
      SIM_GetWindowHandle(view, &window);
      if (!bogus) {
        host.reset();
        view->requestRedraw();
        const uint64_t frames = view->frameCounter();
        EXPECT_TRUE(waitUntil([&] { return view->frameCounter() >= frames + 3; })) << "the view keeps running";
      }
      EXPECT_EQ(SIM_CloseView(view), 0);
    }
  }
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
}

TEST(HostWindow, ErrorsOfTheHostsOwnConnectionStillReachItsHandler) {
  static int hostErrors = 0;
  auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return ++hostErrors, 0; });
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  auto host = std::make_unique<testsupport::X11TestWindow>(200, 100);
  // Every window creation resets the handler; the second view must not lose it either.
  Render* first = SIM_CreateView(host->id(), true);
  Render* second = SIM_CreateView(0, true);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  host->provokeError();
  EXPECT_EQ(hostErrors, 1);
  EXPECT_EQ(SIM_CloseView(first), 0);
  EXPECT_EQ(SIM_CloseView(second), 0);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
  host->provokeError();
  EXPECT_EQ(hostErrors, 2) << "and after the window system ended";
  host.reset();
  XSetErrorHandler(previous);
}

}  // namespace
