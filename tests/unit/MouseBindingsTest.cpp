// The mouse-binding table: what is accepted and what fires.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "view/MouseBindings.h"

namespace {

SIM_KeyBinding binding(uint32_t input, uint32_t state, uint8_t control, uint8_t shift, uint8_t alt,
                       uint32_t action) {
  SIM_KeyBinding b{};
  b.input = input;
  b.state = state;
  b.modifiers[0] = control;
  b.modifiers[1] = shift;
  b.modifiers[2] = alt;
  b.action = action;
  return b;
}

view::BindingInput buttons(view::ButtonPhase left, view::ButtonPhase right, view::ButtonPhase middle,
                           uint8_t modifiers = 0, int wheel = 0) {
  view::BindingInput in;
  in.buttons = {left, right, middle};
  in.modifierMask = modifiers;
  in.wheel = wheel;
  return in;
}

using P = view::ButtonPhase;

TEST(MouseBindings, RefusesBindingsOutOfRangeOrWithoutACondition) {
  view::MouseBindingTable table;
  EXPECT_FALSE(table.add(binding(5, 0, 0, 0, 0, 1)));
  EXPECT_FALSE(table.add(binding(1, 0, 0, 0, 0, 10)));
  EXPECT_FALSE(table.add(binding(1, 3, 0, 0, 0, 1))) << "state 3 and no modifier: condition 0";
  for (int a = 0; a < 10; ++a) EXPECT_FALSE(table.isBound(a)) << "refusals leave the table as it was";
  EXPECT_TRUE(table.add(binding(1, 3, 1, 0, 0, 1))) << "a modifier alone is enough";
  for (int a = 0; a < 10; ++a) EXPECT_EQ(table.isBound(a), a == 1) << a;
  // The slot given another action: the first is bound nowhere now.
  EXPECT_TRUE(table.add(binding(1, 3, 1, 0, 0, 4)));
  EXPECT_FALSE(table.isBound(1));
  EXPECT_TRUE(table.isBound(4));
}

TEST(MouseBindings, FiresTheActionOfTheMatchingRowStateAndModifiers) {
  view::MouseBindingTable table;
  ASSERT_TRUE(table.add(binding(1, 1, 0, 0, 0, 1)));  // left held
  ASSERT_TRUE(table.add(binding(1, 1, 0, 1, 0, 2)));  // shift + left held
  ASSERT_TRUE(table.add(binding(2, 0, 0, 0, 0, 3)));  // middle pressed
  ASSERT_TRUE(table.add(binding(3, 0, 0, 0, 0, 6)));  // right pressed
  ASSERT_TRUE(table.add(binding(4, 0, 0, 0, 0, 4)));  // wheel forward
  ASSERT_TRUE(table.add(binding(4, 2, 1, 0, 0, 5)));  // control + wheel backward
  ASSERT_TRUE(table.add(binding(0, 1, 1, 0, 0, 7)));  // row 0: no input, never fires
  constexpr uint8_t kShift = view::MouseBindingTable::kShiftBit, kControl = view::MouseBindingTable::kControlBit;

  const struct {
    view::BindingInput input;
    std::vector<int> fired;
  } frames[] = {
      {buttons(P::Held, P::Up, P::Up), {1}},
      {buttons(P::Held, P::Up, P::Pressed, kShift), {2}},  // the middle binding wants no modifier
      {buttons(P::Up, P::Up, P::Pressed), {3}},
      {buttons(P::Up, P::Pressed, P::Up), {6}},
      {buttons(P::Up, P::Up, P::Up, kControl), {}},
      {buttons(P::Up, P::Up, P::Up, 0, +1), {4}},
      {buttons(P::Up, P::Up, P::Up, kControl, -1), {5}},
      {buttons(P::Up, P::Up, P::Up, 0, -1), {}},
  };
  for (size_t f = 0; f < std::size(frames); ++f) {
    table.evaluate(frames[f].input);
    for (int a = 0; a < 10; ++a)
      EXPECT_EQ(table.fired(a), std::count(frames[f].fired.begin(), frames[f].fired.end(), a) == 1)
          << "frame " << f << " action " << a;
  }

  table.release();
  table.evaluate(buttons(P::Held, P::Up, P::Up));
  for (int a = 0; a < 10; ++a) {
    EXPECT_FALSE(table.fired(a));
    EXPECT_FALSE(table.isBound(a));
  }
}

TEST(MouseBindings, AReleaseEndsAGestureWhoseModifierWasLetGoFirst) {
  view::MouseBindingTable table;
  ASSERT_TRUE(table.add(binding(1, 2, 1, 0, 0, 3)));  // Ctrl + left released
  ASSERT_TRUE(table.add(binding(3, 2, 0, 1, 1, 7)));  // Shift + Alt + right released
  table.evaluate(buttons(P::Released, P::Up, P::Up));
  EXPECT_TRUE(table.fired(3));
  table.evaluate(buttons(P::Up, P::Released, P::Up, view::MouseBindingTable::kShiftBit));
  EXPECT_TRUE(table.fired(7)) << "Alt was let go, Shift still held";
  table.evaluate(buttons(P::Up, P::Released, P::Up, view::MouseBindingTable::kControlBit));
  EXPECT_FALSE(table.fired(7)) << "Ctrl held now is not in the binding";
  table.evaluate(buttons(P::Held, P::Up, P::Up));
  EXPECT_FALSE(table.fired(3)) << "only releases look beyond the held modifiers";
}

}  // namespace
