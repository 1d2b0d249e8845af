// The render thread's command queue: each stage gives its own commands in
// the order they were posted, and a closed queue drops what waits and
// refuses the rest, so nobody waits for work no thread will do.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include "view/FrameCommands.h"

using view::CommandStage;
using view::FrameCommands;

TEST(FrameCommands, StagesKeepTheirOwnCommandsInOrder) {
  FrameCommands queue;
  std::string ran;
  const struct {
    CommandStage stage;
    char mark;
  } posted[] = {{CommandStage::AfterCut, 'a'}, {CommandStage::BeforeFrame, 'b'}, {CommandStage::StockUnlocked, 's'},
                {CommandStage::BeforeFrame, 'c'}, {CommandStage::AfterCut, 'd'}};
  for (const auto& p : posted) EXPECT_TRUE(queue.post(p.stage, [&ran, mark = p.mark] { ran += mark; }));

  for (auto& work : queue.take(CommandStage::BeforeFrame)) work();
  EXPECT_EQ(ran, "bc");
  EXPECT_TRUE(queue.pending());
  for (auto& work : queue.take(CommandStage::AfterCut)) work();
  EXPECT_EQ(ran, "bcad");
  EXPECT_TRUE(queue.take(CommandStage::BeforeFrame).empty());
  for (auto& work : queue.take(CommandStage::StockUnlocked)) work();
  EXPECT_EQ(ran, "bcads");
  EXPECT_FALSE(queue.pending());
}

TEST(FrameCommands, AClosedQueueDropsWhatWaitsAndRefusesTheRest) {
  FrameCommands queue;
  auto promise = std::make_shared<std::promise<int>>();
  std::future<int> answer = promise->get_future();
  ASSERT_TRUE(queue.post(CommandStage::AfterCut, [promise] { promise->set_value(1); }));
  promise.reset();
  queue.close();
  // The waiting thread hears that nobody will answer.
  EXPECT_THROW(answer.get(), std::future_error);
  EXPECT_FALSE(queue.pending());

  bool ran = false;
  EXPECT_FALSE(queue.post(CommandStage::BeforeFrame, [&] { ran = true; }));
  EXPECT_TRUE(queue.take(CommandStage::BeforeFrame).empty());
  queue.open();  // a new render thread
  EXPECT_TRUE(queue.post(CommandStage::BeforeFrame, [&] { ran = true; }));
  for (auto& work : queue.take(CommandStage::BeforeFrame)) work();
  EXPECT_TRUE(ran);
}
