// The view's refined stocks: a stock's state is enhanced once, whether it
// gave a mesh or not, and again only when its state changes; stocks no
// longer refined lose their jobs.
#include <gtest/gtest.h>

#include <map>

#include "view/EnhancedStocks.h"

namespace {

TEST(EnhancedStocks, AStateIsEnhancedOnceEvenWhenItGivesNoMesh) {
  std::map<uint32_t, int> runs;
  std::map<uint32_t, view::EnhancedStocks::Key> state{{1, {1, 1, 1, 1}}, {2, {1, 1, 1, 1}}};
  view::EnhancedStocks stocks(
      [&](uint32_t stock, const std::function<void(int)>&) {
        ++runs[stock];
        return std::unique_ptr<enhance::EnhancedMesh>();  // no surface
      },
      [&](uint32_t stock) -> std::optional<view::EnhancedStocks::Key> {
        const auto at = state.find(stock);
        return at == state.end() ? std::nullopt : std::optional(at->second);
      });
  stocks.sync({1, 2});
  for (int frame = 0; frame < 3; ++frame) stocks.refresh(1);
  EXPECT_EQ(runs[1], 1) << "a state without a mesh is not tried every frame";
  EXPECT_TRUE(stocks.settled(1));
  EXPECT_EQ(stocks.shown(1), nullptr);
  EXPECT_FALSE(stocks.settled(2)) << "not asked for yet";

  state[1].contents = 2;  // cut again
  EXPECT_FALSE(stocks.settled(1));
  stocks.refresh(1);
  stocks.refresh(1);
  EXPECT_EQ(runs[1], 2);
  EXPECT_FALSE(stocks.surfaceFor(1, [](int) {})) << "no surface to export: the caller falls back";
  EXPECT_EQ(runs[1], 2);

  stocks.sync({2});
  EXPECT_FALSE(stocks.jobs().hasJob(1)) << "a stock no longer refined loses its job";
  stocks.refresh(1);
  EXPECT_EQ(runs[1], 2);
}

}  // namespace
