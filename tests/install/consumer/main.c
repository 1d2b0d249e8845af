/* A C host that only links and calls exports that need no display. */
#include <korvane/Korvane.h>

int main(void) {
  SIM_Window window = 0;
  if (SIM_CloseView(0) != 0) return 1;
  if (SIM_GetWindowHandle(0, &window) != 1) return 2;
  if (SIM_Hint(SIM_HINT_HEADLESS, 0) != 0) return 3;
  return 0;
}
