#pragma once
// Process-wide state of the view host: the reference count of the window
// system and the creation hints read when a view is created.
#include <cstdint>

namespace view {

struct CreationHints {
  bool offscreenHost = false;  // hint 0
  bool directionMode = false;  // hint 1
  bool headless = false;       // hint 2
  bool startHidden = false;    // hint 3
  bool timings = false;        // hint 4
};

int32_t initWindowSystem();       // SIM_InitOpenGL
// SIM_TerminateOpenGL. While views are still open the window system stays up
// until the last of them is closed, so their threads never lose their windows.
int32_t terminateWindowSystem();

// Views count as users of the window system from creation until closed.
void viewOpened();
void viewClosed();
uint32_t openViewCount();
uint32_t windowSystemReferences();
// Counts window-system initialisations. Entry points loaded from the GL
// library are only valid within the initialisation that loaded them.
uint64_t windowSystemGeneration();

void setHint(uint32_t hint, int32_t value);
CreationHints currentHints();

}  // namespace view
