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
};

int32_t initWindowSystem();       // SIM_InitOpenGL
int32_t terminateWindowSystem();  // SIM_TerminateOpenGL
uint32_t windowSystemReferences();
// Counts window-system initialisations. Entry points loaded from the GL
// library are only valid within the initialisation that loaded them.
uint64_t windowSystemGeneration();

void setHint(uint32_t hint, int32_t value);
CreationHints currentHints();

}  // namespace view
