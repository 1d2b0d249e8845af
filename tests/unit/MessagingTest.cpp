// The window-message channel and a view's notification forwarder.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/MessageBus.h"
#include "support/EventRecorder.h"
#include "view/Notifier.h"

namespace {

using testsupport::EventRecorder;

// The first count messages a recorder got, waiting up to a second for them.
std::vector<EventRecorder::Message> firstOf(EventRecorder& recorder, size_t count) {
  testsupport::waitUntil([&] { return recorder.messages().size() >= count; }, std::chrono::seconds(1));
  return recorder.messages();
}

TEST(MessageBus, PostsArriveInOrderAndSendWaitsForThemThenRunsOnTheSender) {
  EventRecorder recorder(0x1001);
  recorder.slowFirstMs = 30;
  for (int i = 0; i < 5; ++i) platform::postMessage(0x1001, 1258, 3, i);
  platform::sendMessage(0x1001, 1258, 18, 0);
  const auto got = firstOf(recorder, 6);
  ASSERT_EQ(got.size(), 6u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(got[i].lparam, i);
    EXPECT_NE(got[i].thread, std::this_thread::get_id()) << "posts run on the dispatcher";
  }
  EXPECT_EQ(got[5].wparam, 18u);
  EXPECT_EQ(got[5].thread, std::this_thread::get_id()) << "send runs on the sending thread";
}

TEST(MessageBus, MessagesToWindowsWithoutHandlerAreDropped) {
  platform::postMessage(0x1002, 1258, 6, 0);
  platform::sendMessage(0x1002, 1258, 6, 0);  // must not block or crash
  EventRecorder recorder(0x1002);
  platform::sendMessage(0x1002, 1258, 7, 42);
  const auto got = firstOf(recorder, 1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].lparam, 42);
}

TEST(MessageBus, RemovingAHandlerWaitsForItsRunningDelivery) {
  struct Context {
    std::atomic<bool> running{false};
    std::atomic<bool> finished{false};
  } context;
  platform::setMessageHandler(
      0x1005,
      [](void* c, SIM_Window, uint32_t, uint64_t, int64_t) {
        auto* ctx = static_cast<Context*>(c);
        ctx->running = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ctx->finished = true;
      },
      &context);
  platform::postMessage(0x1005, 1258, 6, 0);
  while (!context.running) std::this_thread::yield();
  platform::setMessageHandler(0x1005, nullptr, nullptr);
  EXPECT_TRUE(context.finished) << "the host may free the context once removal returned";
}

TEST(Notifier, OnlyOnChangeEventsAreNotRepeated) {
  EventRecorder recorder(0x1003);
  view::Notifier notifier;
  notifier.setCallbackWindow(0x1003, true);
  const view::CallbackWindow notify = notifier.callback();
  notify(1258, 5, 10, true);
  notify(1258, 5, 10, true);   // same line: dropped
  notify(1258, 11, 10, true);  // entity has its own last value
  notify(1258, 5, 12, true);
  notify(1258, 5, 10, true);   // back to 10: a change again
  notify(1258, 3, 50, true);   // progress is sent every time
  notify(1258, 3, 50, true);
  notify(1026, 0, 0, true);
  const auto got = firstOf(recorder, 7);
  ASSERT_EQ(got.size(), 7u);
  const std::vector<std::pair<uint64_t, int64_t>> expected = {{5, 10}, {11, 10}, {5, 12}, {5, 10},
                                                              {3, 50}, {3, 50}, {0, 0}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(got[i].wparam, expected[i].first) << i;
    EXPECT_EQ(got[i].lparam, expected[i].second) << i;
  }
  EXPECT_EQ(got[6].message, 1026u);
}

TEST(Notifier, DefaultHandlingRunsUnlessTheHostHandlesAlone) {
  int clicks = 0, exports = 0, redraws = 0;
  std::vector<int64_t> lines;
  view::DefaultHandling handling;
  handling.viewportClickAction = [&] { ++clicks; };
  handling.presentationExport = [&] { ++exports; };
  handling.showLine = [&](int64_t line) { lines.push_back(line); };
  handling.redraw = [&] { ++redraws; };
  view::Notifier notifier;
  notifier.setDefaultHandling(handling);

  // No callback window: the view handles everything itself.
  notifier.notify(1258, 9, 50, true);
  EXPECT_EQ(notifier.shownProgress(), 50);
  notifier.notify(1258, 6, 0, true);
  notifier.notify(1258, 17, 0, true);
  notifier.notify(1258, 5, 120, true);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(exports, 1);
  EXPECT_EQ(lines, std::vector<int64_t>{120});

  // Message 1028 stays inside the view.
  EventRecorder recorder(0x1004);
  notifier.setCallbackWindow(0x1004, false);
  notifier.notify(1028, 0, 0, true);
  EXPECT_EQ(redraws, 1);

  // Shared handling: the host hears it and the view acts too.
  notifier.notify(1258, 6, 0, false);
  EXPECT_EQ(clicks, 2);
  // The host alone.
  notifier.setCallbackWindow(0x1004, true);
  notifier.notify(1258, 6, 0, false);
  notifier.notify(1258, 12, 77, false);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(notifier.shownProgress(), 50);
  const auto got = firstOf(recorder, 3);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].wparam, 6u);
  EXPECT_EQ(got[2].lparam, 77);
}

}  // namespace
