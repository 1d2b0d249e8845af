// Figures of collision checking:
//   - GJK queries per second on 10,000 constructed hull pairs: cold, warm
//     (from the simplex of a nearby pose, as consecutive samples give) and
//     libccd's ccdGJKIntersect on the same pairs;
//   - the machine check of a raster job on the sample mill: preparation
//     with the models decomposed and read back from the cache, samples per
//     second on one thread and on the check's thread count, GJK queries
//     per sample and the warm-start share;
//   - the travel-limit pass per 100,000 moves, plain and turning (A, C).
//
//   collision_bench [SAMPLE_MACHINES_DIR]   (default: the build's machines/)
#include <omp.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "HullPairs.h"
#include "collision/CheckSet.h"
#include "collision/MachineCheck.h"
#include "collision/MachineMotion.h"
#include "collision/Sampling.h"
#include "machine/ConvexDecomposition.h"
#include "machine/DefinitionReader.h"
#include "machine/MeshCache.h"
#include "support/ToolpathBuilder.h"
#include "view/MachineModelLoader.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using testing_support::ToolpathBuilder;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void gjkFigures() {
  std::vector<hullpairs::HullPair> pairs = hullpairs::makePairs(10000, 7);
  constexpr int kRounds = 20;
  std::vector<collision::Simplex> previous(pairs.size());
  for (hullpairs::HullPair& p : pairs) {
    const glm::dvec3 at = p.posedB.translation;
    p.posedB.translation = at + glm::dvec3(0.01, -0.005, 0.0);
    collision::gjk(p.posedA, p.posedB, previous[&p - pairs.data()]);
    p.posedB.translation = at;
  }
  int contacts = 0;
  auto start = Clock::now();
  for (int r = 0; r < kRounds; ++r)
    for (const hullpairs::HullPair& p : pairs) {
      collision::Simplex cold;
      contacts += collision::gjk(p.posedA, p.posedB, cold).contact;
    }
  const double cold = kRounds * pairs.size() / secondsSince(start);
  start = Clock::now();
  for (int r = 0; r < kRounds; ++r)
    for (size_t i = 0; i < pairs.size(); ++i) {
      collision::Simplex warm = previous[i];
      contacts += collision::gjk(pairs[i].posedA, pairs[i].posedB, warm).contact;
    }
  const double warm = kRounds * pairs.size() / secondsSince(start);
  start = Clock::now();
  for (int r = 0; r < kRounds; ++r)
    for (const hullpairs::HullPair& p : pairs) contacts += hullpairs::ccdIntersect(p);
  const double reference = kRounds * pairs.size() / secondsSince(start);
  std::printf("GJK on 10,000 hull pairs (4-48 vertices):\n");
  std::printf("  cold %.0f queries/s, warm %.0f queries/s, libccd ccdGJKIntersect %.0f queries/s (%d contacts)\n", cold,
              warm, reference, contacts);
}

std::string textOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A cylinder along +Y from y0 to y1: the tool's solid in tool coordinates.
void addCylinder(std::vector<glm::vec3>& soup, float radius, float y0, float y1, int sides = 32) {
  for (int i = 0; i < sides; ++i) {
    const float a0 = 2 * M_PI * i / sides, a1 = 2 * M_PI * (i + 1) / sides;
    const glm::vec3 p0(radius * std::cos(a0), 0, radius * std::sin(a0)), p1(radius * std::cos(a1), 0, radius * std::sin(a1));
    const glm::vec3 lo(0, y0, 0), hi(0, y1, 0);
    soup.insert(soup.end(), {lo, p1 + lo, p0 + lo, p0 + lo, p1 + lo, p1 + hi, p0 + lo, p1 + hi, p0 + hi, hi, p0 + hi, p1 + hi});
  }
}

machine::IndexedMesh meshOf(const std::vector<glm::vec3>& soup) {
  machine::IndexedMesh m{soup, {}};
  for (uint32_t i = 0; i < soup.size(); ++i) m.indices.push_back(i);
  return m;
}

void machineCheckFigures(const fs::path& machines) {
  const fs::path folder = machines / "vertical-mill";
  machine::DefinitionRead read = machine::readDefinition(textOf(folder / "machine.json"), false, 0);
  const machine::Machine m(std::move(read.definition), false);
  std::vector<machine::IndexedMesh> models;
  for (const machine::ModelSlot& slot : m.models()) {
    machine::IndexedMesh mesh = view::readModelFile(folder / slot.entry->path);
    const glm::dmat4 frame = m.modelFrame(*slot.entry);
    for (glm::vec3& v : mesh.vertices) v = glm::vec3(frame * glm::dvec4(v, 1.0));
    models.push_back(std::move(mesh));
  }
  // A raster over a 100 x 80 stock on the table: 81 passes of 100 mm at
  // z -5, linked by rapids over it, then down beside it into the table.
  ToolpathBuilder path;
  path.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 50}));
  for (int pass = 0; pass <= 80; ++pass) {
    const double y = pass, x0 = pass % 2 ? 100 : 0, x1 = pass % 2 ? 0 : 100;
    path.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {x0, y, 5}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {x0, y, -5}))
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {x1, y, -5}))
        .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {x1, y, 5}));
  }
  path.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {50, -65, 50})).add(ToolpathBuilder::line(SIM_MOVE_RAPID, {50, -65, -60}));
  path.toolChange("T1", 0);
  const toolpath::Toolpath job = toolpath::Toolpath::fromRecord(path.record());
  const glm::dvec3 programZero(-50, -40, -180);

  auto sourcesWith = [&](const std::vector<machine::Decomposition>& pieces) {
    collision::CheckSources s;
    s.machine = &m;
    for (size_t i = 0; i < models.size(); ++i) {
      auto mesh = std::make_shared<machine::ModelMesh>();
      mesh->mesh = models[i];
      mesh->pieces = std::make_shared<const machine::Decomposition>(pieces[i]);
      s.meshes.push_back(mesh);
    }
    std::vector<glm::vec3> tool;
    addCylinder(tool, 5, 0, 80);
    addCylinder(tool, 18, 25, 60);
    addCylinder(tool, 32, 60, 80);
    s.tools.push_back({std::hash<std::string>{}("T1"), "T1", 80.0, -1, {}});
    s.toolMeshes.push_back(meshOf(tool));
    return s;
  };
  // FNV-1a, as the toolpath hashes tool names.
  uint64_t hash = 14695981039346656037ull;
  for (char c : std::string("T1")) hash = (hash ^ uint8_t(c)) * 1099511628211ull;

  auto start = Clock::now();
  std::vector<machine::Decomposition> pieces;
  for (const machine::IndexedMesh& mesh : models) pieces.push_back(machine::decompose(mesh));
  collision::CheckSources cold = sourcesWith(pieces);
  cold.tools[0].hash = hash;
  const collision::CheckSet set = collision::buildCheckSet(std::move(cold));
  const double prepareCold = secondsSince(start);
  const fs::path cacheRoot = fs::temp_directory_path() / ("korvane-collision-bench-" + std::to_string(::getpid()));
  const machine::MeshCache cache(cacheRoot);
  for (size_t i = 0; i < pieces.size(); ++i) cache.write(i + 1, pieces[i]);
  start = Clock::now();
  std::vector<machine::Decomposition> fromCache;
  for (size_t i = 0; i < pieces.size(); ++i) fromCache.push_back(*cache.read(i + 1));
  collision::CheckSources cached = sourcesWith(fromCache);
  cached.tools[0].hash = hash;
  const collision::CheckSet again = collision::buildCheckSet(std::move(cached));
  const double prepareCached = secondsSince(start);
  fs::remove_all(cacheRoot);
  std::printf("machine check, sample mill (%zu models, %zu pairs), raster job of %.0f mm:\n", models.size(),
              set.pairs.size(), job.totalLength());
  std::printf("  preparation: %.3f s decomposed, %.3f s from the cache\n", prepareCold, prepareCached);

  std::printf("  the thread rule gives %d of %d threads here\n", collision::checkThreads(omp_get_max_threads()),
              omp_get_max_threads());
  for (int threads : {1, 2}) {
    collision::CheckRequest request;
    request.threads = threads;
    collision::CheckProgress progress;
    start = Clock::now();
    const collision::CheckOutcome outcome = collision::runMachineCheck(job, m, programZero, again, request, progress);
    const double seconds = secondsSince(start);
    size_t hits = 0;
    for (const auto& h : outcome.hits) hits += !h.empty();
    std::printf("  %d thread(s): %u samples in %.2f s = %.0f samples/s; %.1f GJK queries and %.2f steps per sample, "
                "%.0f %% warm; %zu pairs hit\n",
                threads, outcome.grid.samples, seconds, outcome.grid.samples / seconds,
                double(outcome.figures.queries) / outcome.grid.samples,
                double(outcome.figures.iterations) / std::max<uint64_t>(outcome.figures.queries, 1),
                100.0 * outcome.figures.warmStarts / std::max<uint64_t>(outcome.figures.queries, 1), hits);
  }
}

void limitFigures(const fs::path& machines) {
  const std::atomic<bool> go{false};
  for (const char* name : {"vertical-mill", "five-axis-ac"}) {
    machine::DefinitionRead read = machine::readDefinition(textOf(machines / name / "machine.json"), false, 0);
    const machine::Machine m(std::move(read.definition), false);
    const bool turning = std::string(name) == "five-axis-ac";
    ToolpathBuilder path;
    for (int i = 0; i < 100000; ++i) {
      SIM_ToolpathMove move = ToolpathBuilder::line(SIM_MOVE_LINEAR, {50.0 * std::sin(i * 0.01), 40.0 * std::cos(i * 0.013), 10 + i % 7});
      // Every tenth move turns the table 10 degrees: 5 inner steps.
      if (turning) move.axes[0] = -M_PI / 18 * ((i / 10) % 2), move.axes[2] = 0.01 * i;
      path.add(move);
    }
    const toolpath::Toolpath job = toolpath::Toolpath::fromRecord(path.record());
    const auto start = Clock::now();
    const auto found = collision::travelViolations(m, job, [](int64_t) { return 80.0; }, glm::dvec3(0, 0, -200), go);
    std::printf("travel limits, %s: %.3f s per 100,000 moves (%zu violations listed)\n", name, secondsSince(start),
                found.size());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path machines = argc > 1 ? fs::path(argv[1]) : fs::path(KORVANE_SAMPLE_MACHINES);
  gjkFigures();
  machineCheckFigures(machines);
  limitFigures(machines);
  return 0;
}
