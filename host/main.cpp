// korvane-view: embeds the simulation view the way an NC editor would.
// For now it opens a view, lets it draw for a few seconds and closes it,
// reporting what the view told it on the way.
#include <Korvane.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: korvane-view [--seconds N] [--headless] [--hidden]\n"
               "  --seconds N  how long the view stays open (default 3)\n"
               "  --headless   create an invisible view that draws nothing\n"
               "  --hidden     create the window without showing it\n");
}

void onMessage(void*, SIM_Window, uint32_t message, uint64_t wparam, int64_t lparam) {
  if (message == SIM_MESSAGE_NOTIFY)
    std::printf("event %llu value %lld\n", static_cast<unsigned long long>(wparam), static_cast<long long>(lparam));
  else
    std::printf("message %u\n", message);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 3.0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (*end != '\0' || seconds < 0) {
        std::fprintf(stderr, "korvane-view: --seconds needs a non-negative number, got '%s'\n", argv[i]);
        return 2;
      }
    } else if (std::strcmp(argv[i], "--headless") == 0) {
      SIM_Hint(SIM_HINT_HEADLESS, 1);
    } else if (std::strcmp(argv[i], "--hidden") == 0) {
      SIM_Hint(SIM_HINT_START_HIDDEN, 1);
    } else {
      usage();
      return 2;
    }
  }

  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "korvane-view: the window system could not be initialised (is DISPLAY set?)\n");
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  Render* view = SIM_CreateView(0, true);
  if (!view) {
    std::fprintf(stderr, "korvane-view: the view window could not be created (OpenGL 4.3 core needed)\n");
    SIM_TerminateOpenGL();
    return 1;
  }
  const double createdMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  SIM_Window window = 0;
  SIM_GetWindowHandle(view, &window);
  SIM_SetMessageHandler(window, onMessage, nullptr);
  SIM_SetCallbackWindow(view, window, true);
  std::printf("view open in window 0x%lx after %.1f ms\n", static_cast<unsigned long>(window), createdMs);
  std::fflush(stdout);

  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));

  SIM_CloseView(view);
  SIM_SetMessageHandler(window, nullptr, nullptr);
  SIM_TerminateOpenGL();
  std::printf("view closed\n");
  return 0;
}
