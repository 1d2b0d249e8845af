// Whole jobs as a user runs them: korvane-view from the program text to the
// STL and PNG written, with --timings, for bear (the corpus's CAMotics
// example), the standard job (StandardJob.h) and the engraving job
// (EngravingJob.h), each at two cell sizes, played on a headless view, cut
// at once on a headless view, and played in a window that draws. Prints one
// row per run: its wall time, the whole job and its phases in seconds as
// korvane-view counted them, the peak resident memory above the bare
// view's, and the process's peak. A korvane-view without --timings (an
// older build, for a before-and-after table) gets its wall time and peak
// only; its cell size then shows as 0.
//
// whole_job_bench [KORVANE_VIEW [CORPUS_DIR [JOB]]]: JOB (bear, standard or
// engraving) runs that job alone.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "EngravingJob.h"
#include "StandardJob.h"

namespace {

namespace fs = std::filesystem;

struct Job {
  std::string name, program, options;
  double qualities[2];
};

// The standard job as G-code: the pocket with a 6 mm flat end mill, then
// the floor with a 6 mm ball end mill, each entered from above.
std::string standardProgram() {
  const bench::StandardJob job;
  std::string text = "G21 G90 G17\n";
  char line[96];
  auto pass = [&](int tool, const std::vector<glm::dvec3>& points) {
    std::snprintf(line, sizeof line, "T%d M6\nS10000 M3\nG0 X%.4f Y%.4f Z35\n", tool, points.front().x,
                  points.front().y);
    text += line;
    for (const glm::dvec3& p : points) {
      std::snprintf(line, sizeof line, "G1 X%.4f Y%.4f Z%.4f F1500\n", p.x, p.y, p.z);
      text += line;
    }
    text += "G0 Z35\n";
  };
  pass(1, job.pocket);
  pass(2, job.finish);
  return text + "M30\n";
}

void write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

// What one run printed with --timings (absent from a korvane-view that
// lacks it), and what the bench saw itself: wall time and the process's
// peak resident memory.
struct Figures {
  bool ran = false, timed = false;
  double cell = 0, peakAboveBare = 0, wall = 0, peakResident = 0;
  std::map<std::string, double> seconds;
};

void readTimings(const std::string& output, Figures& figures) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    double value = 0, megabytes = 0;
    char name[64] = {};
    if (std::sscanf(line.c_str(), "timings (cell %lf", &value) == 1) {
      figures.cell = value;
      figures.timed = true;
    } else if (figures.timed && std::sscanf(line.c_str(), "  %63[a-zA-Z ] %lf s %lf MB", name, &value, &megabytes) >= 2) {
      std::string key(name);
      key.erase(key.find_last_not_of(' ') + 1);
      figures.seconds[key] = value;
      if (key == "whole job") figures.peakAboveBare = megabytes;
    }
  }
}

// A finished process: what it printed (both streams), how it ended, its
// wall time and its peak resident memory.
struct Finished {
  std::string output;
  bool exited = false;
  int status = -1;
  double wall = 0, peakMegabytes = 0;
};

Finished runProcess(std::vector<std::string> arguments) {
  Finished finished;
  int out[2];
  if (pipe(out) != 0) return finished;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const bool spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) finished.output.append(buffer, size_t(n));
  close(out[0]);
  if (!spawned) return finished;
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  finished.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  finished.peakMegabytes = usage.ru_maxrss / 1024.0;
  finished.exited = WIFEXITED(status);
  finished.status = finished.exited ? WEXITSTATUS(status) : -1;
  return finished;
}

Figures run(std::vector<std::string> arguments) {
  const Finished finished = runProcess(std::move(arguments));
  Figures figures;
  figures.wall = finished.wall;
  figures.peakResident = finished.peakMegabytes;
  // Cells coarser than the tools allow still give the files, and a status
  // that says so.
  figures.ran = finished.exited && (finished.status == 0 ||
                                    finished.output.find("coarser than a quarter") != std::string::npos);
  readTimings(finished.output, figures);
  return figures;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> list;
  for (std::string w; in >> w;) list.push_back(w);
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string view = argc > 1 ? argv[1] : KORVANE_VIEW_PATH;
  const fs::path corpus = argc > 2 ? argv[2] : KORVANE_CORPUS_DIR;
  const fs::path work = fs::temp_directory_path() / "korvane-whole-job-bench";
  fs::create_directories(work);
  write(work / "standard.nc", standardProgram());
  write(work / "standard.tools", "T1 flat 6 40\nT2 ball 6 40\n");
  write(work / "engraving.nc", bench::EngravingJob::program());
  write(work / "engraving.tools", bench::EngravingJob::kTools);

  std::vector<Job> jobs;
  if (fs::exists(corpus / "bear.nc"))
    jobs.push_back({"bear", (corpus / "bear.nc").string(), "--tool 1:ball:3.175:25.4", {0.5, 1.0}});
  else
    std::printf("(no %s: bear left out)\n", (corpus / "bear.nc").c_str());
  jobs.push_back({"standard", (work / "standard.nc").string(),
                  "--tools " + (work / "standard.tools").string() + " --stock 0,0,0,100,100,30", {0.5, 1.0}});
  jobs.push_back({"engraving", (work / "engraving.nc").string(),
                  "--tools " + (work / "engraving.tools").string() + " --stock 0,0,-32,94,90,0", {0.0, 0.43}});
  const struct {
    const char* name;
    const char* options;
  } modes[] = {{"played, headless", "--headless"}, {"at once, headless", "--headless --at-once"}, {"played, window", ""}};

  // An older korvane-view refuses --timings; its help says whether it has it.
  const std::string help = runProcess({view, "--help"}).output;
  const std::string timings = help.find("--timings") != std::string::npos ? " --timings" : "";
  std::printf("%-10s %6s  %-18s %7s %7s | %6s %6s %6s %7s %6s %6s %7s | %9s %8s\n", "job", "cell", "how", "wall",
              "whole", "load", "build", "cut", "extract", "weld", "STL", "picture", "above bare", "peak MB");
  const std::string only = argc > 3 ? argv[3] : "";
  for (const Job& job : jobs)
    for (double quality : job.qualities)
      for (const auto& mode : modes) {
        if (!only.empty() && job.name != only) continue;
        char q[32];
        std::snprintf(q, sizeof q, "%g", quality);
        std::vector<std::string> arguments = words(view + timings + " " + mode.options + " --quality " + q + " " +
                                                   job.options + " --out " + (work / "out").string());
        arguments.push_back(job.program);
        const Figures f = run(arguments);
        if (!f.ran) {
          std::printf("%-10s q %-4g %-18s failed\n", job.name.c_str(), quality, mode.name);
          continue;
        }
        auto s = [&](const char* phase) {
          const auto it = f.seconds.find(phase);
          return it == f.seconds.end() ? 0.0 : it->second;
        };
        std::printf("%-10s %6.3f  %-18s %7.2f %7.2f | %6.2f %6.2f %6.2f %7.2f %6.2f %6.2f %7.2f | %9.0f %8.0f\n",
                    job.name.c_str(), f.cell, mode.name, f.wall, s("whole job"), s("toolpath load"), s("stock build"),
                    s("cut"), s("extraction"), s("weld"), s("STL write"), s("picture"), f.peakAboveBare,
                    f.peakResident);
        std::fflush(stdout);
      }
  return 0;
}
