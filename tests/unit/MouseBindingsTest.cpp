// The mouse-binding table: what is accepted and what fires.
#include <gtest/gtest.h>

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

TEST(MouseBindings, RejectsBindingsOutOfRangeOrWithoutStateAndModifier) {
  view::MouseBindingTable table;
  EXPECT_FALSE(table.add(binding(5, 0, 0, 0, 0, 1)));
  EXPECT_FALSE(table.add(binding(1, 0, 0, 0, 0, 10)));
  EXPECT_FALSE(table.add(binding(1, 3, 0, 0, 0, 1)));
  EXPECT_TRUE(table.add(binding(1, 3, 1, 0, 0, 1))) << "a modifier alone is enough";
  for (int a = 0; a < 10; ++a) EXPECT_EQ(table.isBound(a), a == 1) << a;
}

TEST(MouseBindings, FiresTheActionOfTheMatchingStateAndModifiers) {
  view::MouseBindingTable table;
  ASSERT_TRUE(table.add(binding(1, 1, 0, 0, 0, 0)));  // left held: rotate
  ASSERT_TRUE(table.add(binding(1, 1, 0, 1, 0, 2)));  // shift + left held: pan
  ASSERT_TRUE(table.add(binding(3, 0, 0, 0, 0, 3)));  // middle pressed
  ASSERT_TRUE(table.add(binding(4, 0, 0, 0, 0, 4)));  // wheel forward
  ASSERT_TRUE(table.add(binding(4, 2, 1, 0, 0, 5)));  // control + wheel backward

  table.evaluate(buttons(P::Held, P::Up, P::Up));
  EXPECT_TRUE(table.fired(0));
  EXPECT_FALSE(table.fired(2));

  table.evaluate(buttons(P::Held, P::Up, P::Pressed, view::MouseBindingTable::kShiftBit));
  EXPECT_FALSE(table.fired(0)) << "fired marks are cleared every frame";
  EXPECT_TRUE(table.fired(2));
  EXPECT_FALSE(table.fired(3)) << "shift is held, the middle binding wants no modifier";

  table.evaluate(buttons(P::Up, P::Up, P::Pressed));
  EXPECT_TRUE(table.fired(3));

  table.evaluate(buttons(P::Up, P::Up, P::Up, 0, +1));
  EXPECT_TRUE(table.fired(4));
  EXPECT_FALSE(table.fired(5));
  table.evaluate(buttons(P::Up, P::Up, P::Up, view::MouseBindingTable::kControlBit, -1));
  EXPECT_TRUE(table.fired(5));
  EXPECT_FALSE(table.fired(4));

  table.release();
  table.evaluate(buttons(P::Held, P::Up, P::Up));
  for (int a = 0; a < 10; ++a) {
    EXPECT_FALSE(table.fired(a));
    EXPECT_FALSE(table.isBound(a));
  }
}

}  // namespace
