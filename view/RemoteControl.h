#pragma once
// The host's remote control of one view (SIM_Command), the answers that read
// its state back (SIM_Question) and the ribbon's entries, which run the same
// changes. Commands write bytes that the next frame reads; none waits for
// the render thread. Questions 4, 41 and 44 take the stock list's shared
// lock, and so wait while the render thread cuts. Any thread.
#include <cstdint>

#include "korvane/Korvane.h"

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
// The "Stop at" menu's ticks from the view's stop conditions.
void syncStopConditions(Render& view);
// The stock removal record as the view holds it: the stock shown and its
// cut faces marked come from the interface and the view's bytes.
SIM_StockRemovalSettings stockRemovalOf(Render& view);
// Takes a record (checked): the stock shown, cut faces marked, the rest
// for the stock; the stocks drawn again and the ribbon's colouring entries
// ticked as it says. false when it equals what the view holds.
bool applyStockRemoval(Render& view, const SIM_StockRemovalSettings& settings);

}  // namespace view
