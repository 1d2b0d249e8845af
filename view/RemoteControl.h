#pragma once
// The host's remote control of one view (SIM_Command), the answers that read
// its state back (SIM_Question) and the ribbon's entries, which run the same
// changes. Commands write bytes that the next frame reads; none waits for
// the render thread. Questions 4, 41 and 44 take the stock list's shared
// lock, and so wait while the render thread cuts. Any thread.
#include <cstdint>

struct Render;

namespace view {

// 0; a code above 72 changes nothing.
int32_t runCommand(Render& view, uint32_t code, uint64_t argument);
// false for code 51 and codes above 56.
bool answer(Render& view, uint32_t code);
// The ribbon entry with that action number chosen: the change its command
// makes, or the entry's own (animation modes, views, projection, colouring,
// the events of "Save\npresentation", "Setup" and "About").
void chooseRibbonAction(Render& view, uint32_t action);

}  // namespace view
