// Figures of the view lifecycle: how long creating (waiting for the first
// frame) and closing a view take, with and without the saved choices and
// the tuning file to read, and how much CPU an idle view costs. The views
// keep their settings in a folder of the benchmark's own.
#include <korvane/Korvane.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Stats {
  double median, min, max;
};

Stats stats(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

// CPU time of the whole process over wall time while one view runs.
double cpuPercent(const std::function<void()>& during) {
  const double cpu0 = processCpuSeconds();
  const auto wall0 = Clock::now();
  during();
  return 100.0 * (processCpuSeconds() - cpu0) / (msSince(wall0) / 1000.0);
}

// Median creation time over rounds views; each round starts with the
// settings files present or removed.
Stats creationTimes(int rounds, const std::filesystem::path& folder, bool withFiles) {
  std::vector<double> create;
  for (int i = 0; i < rounds; ++i) {
    if (withFiles) {
      std::ofstream(folder / "custom settings.json") << R"({"UI": {"ToolpathLineWidth": 1.5}, "Colors": {"CrossSection": {"Plane": [1, 0, 0, 0.5]}}})";
    } else {
      std::filesystem::remove(folder / "setup.bin");
      std::filesystem::remove(folder / "custom settings.json");
    }
    const auto start = Clock::now();
    Render* view = SIM_CreateView(0, true);
    create.push_back(msSince(start));
    SIM_CloseView(view);  // writes setup.bin
  }
  return stats(create);
}

void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

struct ViewCpu {
  double active;  // the first second after creation: every frame is drawn
  double idle;    // afterwards: nothing changes, the view only sleeps and polls
};

ViewCpu viewCpuPercent(bool headless, double idleSeconds) {
  SIM_Hint(SIM_HINT_HEADLESS, headless ? 1 : 0);
  Render* view = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  if (!view) return {-1, -1};
  ViewCpu result;
  result.active = cpuPercent([] { sleepSeconds(0.8); });
  sleepSeconds(0.7);  // past the first second of activity
  result.idle = cpuPercent([&] { sleepSeconds(idleSeconds); });
  SIM_CloseView(view);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const std::filesystem::path config = std::filesystem::temp_directory_path() / ("korvane-bench-config-" + std::to_string(::getpid()));
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const std::filesystem::path settings = config / "TARVOSimulationViewer";
  std::filesystem::create_directories(settings);
  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "view_lifecycle_bench: no display\n");
    return 1;
  }
  // The first view pays for loading the driver; it is reported apart.
  auto start = Clock::now();
  Render* first = SIM_CreateView(0, true);
  const double firstCreate = msSince(start);
  start = Clock::now();
  SIM_CloseView(first);
  const double firstClose = msSince(start);

  std::vector<double> create, close;
  for (int i = 0; i < rounds; ++i) {
    start = Clock::now();
    Render* view = SIM_CreateView(0, true);
    create.push_back(msSince(start));
    if (!view) {
      std::fprintf(stderr, "view_lifecycle_bench: view creation failed\n");
      return 1;
    }
    start = Clock::now();
    SIM_CloseView(view);
    close.push_back(msSince(start));
  }
  const Stats c = stats(create), d = stats(close);
  const Stats without = creationTimes(rounds, settings, false), with = creationTimes(rounds, settings, true);
  std::printf("first view: create(wait) %.1f ms, close %.1f ms\n", firstCreate, firstClose);
  std::printf("create(wait) over %d views: median %.1f ms (min %.1f, max %.1f)\n", rounds, c.median, c.min, c.max);
  std::printf("close over %d views:        median %.1f ms (min %.1f, max %.1f)\n", rounds, d.median, d.min, d.max);
  std::printf("create(wait) without settings files: median %.1f ms (min %.1f); with setup.bin and custom "
              "settings.json: median %.1f ms (min %.1f)\n",
              without.median, without.min, with.median, with.min);
  const ViewCpu visible = viewCpuPercent(false, 5.0);
  const ViewCpu headless = viewCpuPercent(true, 5.0);
  std::printf("visible 1600x900 view, drawing every frame: %.1f %% of one core\n", visible.active);
  std::printf("idle visible view, 5 s:  %.2f %% of one core\n", visible.idle);
  std::printf("idle headless view, 5 s: %.2f %% of one core\n", headless.idle);
  SIM_TerminateOpenGL();
  std::filesystem::remove_all(config);
  return 0;
}
