// The ribbon bar of a real view driven by pointer input the host sends: an
// entry changes what its command changes, Setup, About and Save
// presentation reach the host as events 14, 15 and 17, a click on the bar
// is not a click on the viewport; and the window's picture shows the bar.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "platform/Dialogs.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"
#include "support/PrivateDisplay.h"
#include "support/X11TestWindow.h"
#include "ui/Ribbonbar.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

namespace {

// Window pixels of the middle of an element, on the render thread.
std::array<double, 2> pixelCentre(Render& view, const UI::UIElement& e) {
  const UI::Rect r = e.getRect();
  return {(r.x + r.w / 2) * view.framebufferWidth(), (1 - (r.y + r.h / 2)) * view.framebufferHeight()};
}

class RibbonView : public testsupport::HeadlessViewTest {
 protected:
  // The interface belongs to views with a window: a hidden one.
  void SetUp() override {
    setUpHiddenWindow();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
    onRenderThread([] { return 0; });
  }

  // Window pixels of the middle of a ribbon button's main part (or arrow).
  std::array<double, 2> centreOf(uint32_t action, bool arrow = false) {
    return onRenderThread([&] {
      UI::Ribbonbar* bar = view->interfaceFrame().ribbonbar();
      UI::SplitButton* button = bar ? bar->buttonOf(action) : nullptr;
      if (!button) return std::array<double, 2>{-1, -1};
      return pixelCentre(*view, arrow ? static_cast<UI::UIElement&>(*button->arrow()) : button->main());
    });
  }
  void send(uint32_t kind, std::array<double, 2> at = {0, 0}) {
    SIM_InputEvent e{kind, 0, at[0], at[1], 0};
    ASSERT_EQ(SIM_SendInput(view, &e), 0);
  }
  // Move, press, and release a frame later; then a frame for the change.
  void click(std::array<double, 2> at) {
    send(SIM_INPUT_MOVE, at);
    send(SIM_INPUT_BUTTON_DOWN, at);
    onRenderThread([] { return 0; });
    onRenderThread([] { return 0; });
    send(SIM_INPUT_BUTTON_UP, at);
    onRenderThread([] { return 0; });
    onRenderThread([] { return 0; });
  }

  testsupport::EventRecorder host;
};

TEST_F(RibbonView, EntriesDoWhatTheirCommandsDo) {
  ASSERT_TRUE(SIM_Question(view, SIM_QUESTION_TOOLPATH_SHOWN));
  const auto toolpath = centreOf(20);
  ASSERT_GE(toolpath[0], 0) << "a windowed view has its ribbon";
  click(toolpath);
  EXPECT_FALSE(SIM_Question(view, SIM_QUESTION_TOOLPATH_SHOWN));
  click(toolpath);
  EXPECT_TRUE(SIM_Question(view, SIM_QUESTION_TOOLPATH_SHOWN));

  // Sent in one burst, faster than frames: the press and the release still
  // land where they happened, not where the cursor went next.
  send(SIM_INPUT_MOVE, toolpath);
  send(SIM_INPUT_BUTTON_DOWN, toolpath);
  send(SIM_INPUT_BUTTON_UP, toolpath);
  send(SIM_INPUT_MOVE, {toolpath[0] + 300, toolpath[1] + 300});
  EXPECT_TRUE(testsupport::waitUntil([&] { return !SIM_Question(view, SIM_QUESTION_TOOLPATH_SHOWN); }));
  click(toolpath);
  ASSERT_TRUE(SIM_Question(view, SIM_QUESTION_TOOLPATH_SHOWN));

  // Through the menu: points on.
  ASSERT_FALSE(SIM_Question(view, SIM_QUESTION_POINTS_SHOWN));
  click(centreOf(20, true));
  const auto points = onRenderThread([&] {
    return pixelCentre(*view, *view->interfaceFrame().ribbonbar()->buttonOf(20)->menu()->items().front());
  });
  click(points);
  EXPECT_TRUE(SIM_Question(view, SIM_QUESTION_POINTS_SHOWN));
  // None of these clicks was the viewport's; nor is the one that closes the
  // menu, still open for more choices. The next one on the scene is.
  const std::array<double, 2> scene{view->framebufferWidth() / 2.0, view->framebufferHeight() * 0.75};
  click(scene);
  EXPECT_EQ(host.valuesOf(SIM_EVENT_VIEWPORT_CLICKED).size(), 0u);
  click(scene);
  EXPECT_EQ(host.countOf(SIM_EVENT_VIEWPORT_CLICKED), 1u);

  // "Stop at": its main part switches the four collision conditions
  // together, its menu each condition; the host's bytes tick them.
  const auto ticked = [&](uint32_t entry) { return view->ribbon()->ticked(entry); };
  click(centreOf(13));
  EXPECT_EQ(SIM_GetStopConditions(view), 0x0000'0101'0101'0000ull);
  EXPECT_TRUE(ticked(13) && ticked(14) && ticked(17));
  click(centreOf(13));
  EXPECT_EQ(SIM_GetStopConditions(view), 0u);
  EXPECT_FALSE(ticked(13) || ticked(14));
  view::chooseRibbonAction(*view, 19);
  EXPECT_EQ(SIM_GetStopConditions(view), uint64_t{1} << 56) << "entry 19 is the optional stop";
  ASSERT_EQ(SIM_SetStopConditions(view, 0x0101), 0);
  EXPECT_TRUE(ticked(12) && ticked(79) && !ticked(19));
}

// The information panel follows the played position: at the end of the
// slot job the tool stands at the slot's end with the job's tool.
// The section button cuts on the last plane and stops; the quality panel
// takes typed text and rebuilds the stock; neither click is the viewport's,
// and letters typed into the field step no playback; the colour panel's
// swatch colours the stock with the dialog's answer.
TEST_F(RibbonView, StockPanelsDriveTheView) {
  testsupport::SlotJob job;
  testsupport::loadJob(view, job);
  auto buttonCentre = [&](UI::InterfaceToggle toggle) {
    return onRenderThread([&] { return pixelCentre(*view, view->interfaceFrame().ribbonbar()->buttonOf(toggle)->main()); });
  };
  const auto section = buttonCentre(UI::InterfaceToggle::Section);
  click(section);
  EXPECT_EQ(SIM_GetCuttingPlane(view).plane, 2u) << "Y-: the front half away";
  click(section);
  EXPECT_EQ(SIM_GetCuttingPlane(view).plane, uint32_t{SIM_CUTTING_PLANE_NONE});

  // A second stock in tolerance mode, updated last: the panel shows its
  // cell length, and what is typed reaches only stocks of that mode.
  SIM_StockRecord fine = testsupport::boxStock(2, {0, 0, -30}, {40, 30, -20});
  fine.precision = SIM_STOCK_PRECISION_TOLERANCE;
  fine.quality = 1.0f;
  ASSERT_EQ(SIM_CreateStock(view, fine), 0);
  const float firstQuality = SIM_GetStock(view, 1).quality;
  click(buttonCentre(UI::InterfaceToggle::StockQualityPanel));
  const auto field = onRenderThread([&] { return pixelCentre(*view, view->interfaceFrame().stockQuality()->entry().field()); });
  click(field);
  auto key = [&](uint32_t kind, int32_t code) {
    SIM_InputEvent e{kind, code, 0, 0, 0};
    ASSERT_EQ(SIM_SendInput(view, &e), 0);
  };
  key(SIM_INPUT_KEY_DOWN, 340);  // Shift: Home selects everything before the caret
  key(SIM_INPUT_KEY_DOWN, 268);
  key(SIM_INPUT_KEY_UP, 268);
  key(SIM_INPUT_KEY_UP, 340);
  for (char c : std::string("0,3")) key(SIM_INPUT_CHARACTER, c);
  key(SIM_INPUT_KEY_DOWN, 257);  // Enter
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetStock(view, 2).quality - 0.3f) < 1e-6f; }))
      << SIM_GetStock(view, 2).quality;
  EXPECT_EQ(SIM_GetStock(view, 1).quality, firstQuality) << "a fraction stock keeps its quality";
  EXPECT_EQ(host.countOf(SIM_EVENT_VIEWPORT_CLICKED), 0u);
  // N and Space pressed while the field is edited step no playback (the
  // number field refuses the letters).
  ASSERT_EQ(SIM_SetProgress(view, 0.0, SIM_PROGRESS_TIME_FRACTION), 0);
  ASSERT_TRUE(testsupport::waitUntil([&] { return SIM_GetProgress(view) == 0.0; }));
  click(field);
  for (int32_t c : {'N', 'N', ' '}) key(SIM_INPUT_CHARACTER, c), key(SIM_INPUT_KEY_DOWN, c), key(SIM_INPUT_KEY_UP, c);
  for (int i = 0; i < 4; ++i) onRenderThread([] { return 0; });
  EXPECT_EQ(SIM_GetProgress(view), 0.0);
  EXPECT_FALSE(SIM_IsPlaying(view));
  EXPECT_EQ(onRenderThread([&] { return view->interfaceFrame().stockQuality()->entry().field().text(); }), u"0.300");
  EXPECT_EQ(host.countOf(SIM_EVENT_KEY), 0u) << "the keys of a field being edited are not the host's";

  // "Colors" in the Stock menu opens the stock-colour panel; its swatch asks
  // the dialog provider and the stock takes the answer.
  struct Scripted : platform::DialogProvider {
    void messageBox(const std::string&, const std::string&, Icon) override {}
    std::optional<std::string> saveFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
      return std::nullopt;
    }
    std::optional<platform::Rgb> chooseColour(const std::string& title, platform::Rgb) override {
      EXPECT_EQ(title, "Color");
      return platform::Rgb{255, 0, 51};
    }
  };
  platform::setDialogProvider(std::make_shared<Scripted>());
  click(section);  // Enter ended the edit; this closes nothing and reaches the ribbon
  click(section);
  key(SIM_INPUT_KEY_DOWN, 291);  // F2, with no field edited: the host hears it
  EXPECT_TRUE(testsupport::waitUntil([&] { return host.countOf(SIM_EVENT_KEY) == 1; }));
  click(centreOf(54, true));
  click(onRenderThread([&] {
    for (const auto& item : view->interfaceFrame().ribbonbar()->buttonOf(54)->menu()->items())
      if (item->action() == 66) return pixelCentre(*view, *item);
    return std::array<double, 2>{-1, -1};
  }));
  EXPECT_TRUE(onRenderThread([&] { return view->interfaceFrame().stockColours()->visible; }));
  const auto swatch = onRenderThread([&] { return pixelCentre(*view, view->interfaceFrame().stockColours()->picker()); });
  click(swatch);  // closes the menu, still open for more choices; nothing else
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().stockColours()->picker().choosing(); }));
  click(swatch);
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetStock(view, 1).colour[2] - 0.2f) < 1e-6f; }))
      << SIM_GetStock(view, 1).colour[0];
  EXPECT_EQ(SIM_GetStock(view, 1).colour[0], 1.0f);
  platform::setDialogProvider(nullptr);
}

TEST_F(RibbonView, PanelsShowThePlayedPositionAndTheProgress) {
  testsupport::SlotJob job;
  job.path.lines = {1, 2, 3};
  testsupport::loadJob(view, job);
  ASSERT_EQ(SIM_SetNCFile(view, "G0 X10 Y15 Z30\nG1 Z15\nG1 X30\n", nullptr, 0), 0);
  auto status = [&] { return onRenderThread([&] { return view->interfaceFrame().statusBar()->lineText(); }); };
  ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
  auto row = [&](size_t i) { return onRenderThread([&] { return view->interfaceFrame().information()->row(i).value(); }); };
  EXPECT_TRUE(testsupport::waitUntil([&] { return row(0) == u"30.000"; }, std::chrono::seconds(10)));
  EXPECT_EQ(row(1), u"15.000");
  EXPECT_EQ(row(2), u"15.000");
  EXPECT_EQ(row(5), u"flat6");
  EXPECT_TRUE(testsupport::waitUntil([&] { return status() == u"3: G1 X30"; }, std::chrono::seconds(10)));
  // The host's progress task, shown and ended.
  ASSERT_EQ(SIM_SetProgressBar(view, 7, 40, "Cutting"), 0);
  auto progress = [&] {
    return onRenderThread([&] {
      const UI::ProgressBar& bar = *view->interfaceFrame().progressBar();
      return std::pair{bar.visible ? bar.fill().width : -1.0f, bar.caption()};
    });
  };
  EXPECT_TRUE(testsupport::waitUntil([&] { return progress() == std::pair{0.4f, std::u16string(u"Cutting")}; }));
  ASSERT_EQ(SIM_SetProgressBar(view, 7, 100, ""), 0);
  EXPECT_TRUE(testsupport::waitUntil([&] { return progress().first < 0; }));
  ASSERT_EQ(SIM_SetProgress(view, 0.0, SIM_PROGRESS_TIME_FRACTION), 0);
  EXPECT_TRUE(testsupport::waitUntil([&] { return row(7) == u"0:00:00" && row(0) != u"30.000"; }, std::chrono::seconds(10)));
}

TEST_F(RibbonView, SetupAboutAndSavePresentationReachTheHost) {
  for (const auto& [action, event] : {std::pair{72u, SIM_EVENT_SETUP_REQUESTED}, std::pair{76u, SIM_EVENT_ABOUT_REQUESTED},
                                      std::pair{71u, SIM_EVENT_SAVE_PRESENTATION_REQUESTED}}) {
    click(centreOf(action));
    EXPECT_TRUE(host.waitFor(SIM_MESSAGE_NOTIFY, event).has_value()) << "event " << event;
  }
}

TEST_F(RibbonView, BadInputIsRefusedAndTheWindowPictureShowsTheBar) {
  SIM_InputEvent e{SIM_INPUT_MOVE, 0, std::nan(""), 0, 0};
  EXPECT_EQ(SIM_SendInput(view, &e), SIM_STATUS_NOT_FINITE);
  for (const SIM_InputEvent refused : {SIM_InputEvent{SIM_INPUT_KEY_UP + 1, 0, 0, 0, 0},
                                       SIM_InputEvent{SIM_INPUT_BUTTON_DOWN, 3, 0, 0, 0},
                                       SIM_InputEvent{SIM_INPUT_CHARACTER, 0xDC00, 0, 0, 0},
                                       SIM_InputEvent{SIM_INPUT_CHARACTER, 0x110000, 0, 0, 0},
                                       SIM_InputEvent{SIM_INPUT_CHARACTER, '\n', 0, 0, 0},
                                       SIM_InputEvent{SIM_INPUT_CHARACTER, 0x85, 0, 0, 0},
                                       SIM_InputEvent{SIM_INPUT_KEY_DOWN, 349, 0, 0, 0}}) {
    e = refused;
    EXPECT_EQ(SIM_SendInput(view, &e), SIM_STATUS_OUT_OF_RANGE) << e.kind << " " << e.button;
  }
  EXPECT_EQ(SIM_SendInput(view, nullptr), -1);
  EXPECT_EQ(SIM_SendInput(nullptr, &e), -1);
  // Huge wheel turns are capped at a hundred steps, in their own direction.
  auto scrollTotal = [&] { return onRenderThread([&] { return view->interfaceFrame().manager()->context().scrollTotal; }); };
  const double before = scrollTotal();
  e = {SIM_INPUT_WHEEL, 0, 0, 0, 1e300};
  EXPECT_EQ(SIM_SendInput(view, &e), 0);
  EXPECT_TRUE(testsupport::waitUntil([&] { return scrollTotal() == before + 100; })) << scrollTotal() - before;
  e.wheel = -1e300;
  EXPECT_EQ(SIM_SendInput(view, &e), 0);
  EXPECT_TRUE(testsupport::waitUntil([&] { return scrollTotal() == before; })) << scrollTotal() - before;

  int32_t width = 0, height = 0;
  ASSERT_EQ(SIM_RenderWindowImage(view, &width, &height, nullptr, 0), 0);
  EXPECT_EQ(width, view->framebufferWidth());
  EXPECT_EQ(height, view->framebufferHeight());
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, rgba.data(), 16), 2);
  ASSERT_EQ(SIM_RenderWindowImage(view, &width, &height, rgba.data(), int64_t(rgba.size())), 0);
  EXPECT_EQ(SIM_RenderWindowImage(view, nullptr, &height, rgba.data(), 0), -1);
  // The bar's pixels differ from the background; the middle of the empty
  // scene does not.
  auto pixel = [&](double x, double y) { return &rgba[(size_t(y) * width + size_t(x)) * 4]; };
  const auto bar = centreOf(54);
  const uint8_t* onBar = pixel(bar[0] - 10, bar[1]);
  const uint8_t* empty = pixel(width / 2.0, height * 0.6);
  EXPECT_NEAR(empty[0], 0.93 * 255, 2);
  EXPECT_GT(std::abs(int(onBar[0]) - int(empty[0])) + std::abs(int(onBar[2]) - int(empty[2])), 10);
  EXPECT_EQ(onBar[3], 255);
}

// The same through the X server: motion, buttons and wheel steps sent to
// the view's window inside a host window.
class RibbonByXEvents : public RibbonView {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ownDisplay.ok()) << "no Xvfb";
    ASSERT_TRUE(hostWindow.ok());
    ASSERT_EQ(SIM_InitOpenGL(), 1) << "no X display";
    view = SIM_CreateView(hostWindow.id(), true);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
    ASSERT_EQ(SIM_GetWindowHandle(view, &window), 0);
    onRenderThread([] { return 0; });
  }
  void clickByX(std::array<double, 2> at) {
    const int x = int(at[0]), y = int(at[1]);
    hostWindow.sendMotion(window, x, y);
    hostWindow.sendButton(window, 1, x, y, true);
    for (int frame = 0; frame < 3; ++frame) onRenderThread([] { return 0; });
    hostWindow.sendButton(window, 1, x, y, false);
    for (int frame = 0; frame < 3; ++frame) onRenderThread([] { return 0; });
  }

  // First made, last gone: the window and the view live on it.
  testsupport::PrivateDisplay ownDisplay;
  testsupport::X11TestWindow hostWindow{900, 500};
  SIM_Window window = 0;
};

TEST_F(RibbonByXEvents, AnEntryChangesWhatItsCommandChangesAndEventsArrive) {
  const auto toolpath = centreOf(20);
  ASSERT_GE(toolpath[0], 0);
  clickByX(toolpath);
  EXPECT_TRUE(testsupport::waitUntil([&] { return !SIM_Question(view, SIM_QUESTION_TOOLPATH_SHOWN); }));
  for (const auto& [action, event] : {std::pair{72u, SIM_EVENT_SETUP_REQUESTED}, std::pair{76u, SIM_EVENT_ABOUT_REQUESTED},
                                      std::pair{71u, SIM_EVENT_SAVE_PRESENTATION_REQUESTED}}) {
    clickByX(centreOf(action));
    EXPECT_TRUE(host.waitFor(SIM_MESSAGE_NOTIFY, event).has_value()) << "event " << event;
  }
  // Wheel steps reach the interface's scroll total, away positive.
  const double before = onRenderThread([&] { return view->interfaceFrame().manager()->context().scrollTotal; });
  hostWindow.sendWheel(window, 450, 400, true);
  hostWindow.sendWheel(window, 450, 400, true);
  hostWindow.sendWheel(window, 450, 400, false);
  EXPECT_TRUE(testsupport::waitUntil([&] {
    return onRenderThread([&] { return view->interfaceFrame().manager()->context().scrollTotal; }) == before + 1;
  }));
}

TEST_F(RibbonView, ThePlaybackBarDrivesPlayback) {
  testsupport::SlotJob job;
  testsupport::loadJob(view, job);
  auto at = [&](auto element, float fx) {
    return onRenderThread([&] {
      const UI::Rect r = element(*view->interfaceFrame().navigation()).getRect();
      return std::array<double, 2>{(r.x + r.w * fx) * view->framebufferWidth(),
                                   (1 - (r.y + r.h / 2)) * view->framebufferHeight()};
    });
  };
  auto button = [&](uint16_t hint) {
    return at([hint](UI::Navigation& bar) -> UI::UIElement& { return *bar.buttonFor(hint); }, 0.5f);
  };
  click(button(152));  // Go to end
  EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_GetProgress(view) == 1.0; }));
  // A press on the timeline at a quarter plays to a quarter of the time.
  click(at([](UI::Navigation& bar) -> UI::UIElement& { return bar.timeline().content(); }, 0.25f));
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetProgress(view) - 0.25) < 0.01; }))
      << SIM_GetProgress(view);
  // The speed slider dragged to its neutral point stands playback still.
  click(at([](UI::Navigation& bar) -> UI::UIElement& { return bar.speed().content(); }, 0.36f));
  EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_GetSpeed(view) == 0.35; })) << SIM_GetSpeed(view);
  click(button(146));  // Play
  EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_IsPlaying(view) == 1; }));
  click(button(146));  // Pause
  EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_IsPlaying(view) == 0; }));
  EXPECT_EQ(host.countOf(SIM_EVENT_VIEWPORT_CLICKED), 0u) << "clicks on the bar are not the viewport's";
}

}  // namespace
