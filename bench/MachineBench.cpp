// Figures of the machine: reading each sample definition, posing and solving
// per frame, the convex decomposition of each model (triangles before and
// after simplifying), and each sample's model load first (decomposed) and
// again (read from the cache).
//
//   machine_bench [SAMPLE_MACHINES_DIR]   (default: the build's machines/)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "machine/ConvexDecomposition.h"
#include "machine/DefinitionReader.h"
#include "machine/GeometryKey.h"
#include "machine/Machine.h"
#include "machine/MeshCache.h"
#include "view/MachineModelLoader.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string textOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void definitionFigures(const std::string& text, bool legacy) {
  constexpr int kRuns = 200;
  const auto start = Clock::now();
  size_t nodes = 0;
  for (int i = 0; i < kRuns; ++i) {
    machine::DefinitionRead read = machine::readDefinition(text, legacy, 0);
    const machine::Machine m(std::move(read.definition), false);
    nodes = m.nodes().size();
  }
  std::printf("  definition read and machine built: %.1f us (%zu axes)\n", secondsSince(start) / kRuns * 1e6, nodes);

  machine::DefinitionRead read = machine::readDefinition(text, legacy, 0);
  const machine::Machine m(std::move(read.definition), false);
  std::vector<double> values = m.initialState();
  constexpr int kFrames = 10000;
  const auto posing = Clock::now();
  double checksum = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    const double t = frame * 1e-3;
    const glm::dvec3 tip(20 * std::sin(t), 20 * std::cos(t), -t);
    const auto solved = m.solve(tip, glm::dvec3(0.2 * std::sin(t), 0, t), 60.0, glm::dvec3(0, 0, -200), values);
    if (solved) values = *solved;
    const std::vector<glm::dmat4> poses = m.pose(values);
    for (const glm::dmat4& pose : poses) checksum += pose[3][0] + pose[3][1] + pose[3][2];
  }
  std::printf("  solve and pose per frame: %.2f us (checksum %.6g)\n", secondsSince(posing) / kFrames * 1e6, checksum);
}

void decompositionFigures(const fs::path& folder, const machine::Machine& m) {
  std::vector<std::string> seen;
  for (const machine::ModelSlot& slot : m.models()) {
    const std::string& path = slot.entry->path;
    if (path.empty() || std::find(seen.begin(), seen.end(), path) != seen.end()) continue;
    seen.push_back(path);
    const machine::IndexedMesh mesh = view::readModelFile(folder / path);
    if (mesh.indices.empty()) continue;
    const auto start = Clock::now();
    const std::vector<machine::IndexedMesh> parts = machine::weldedParts(mesh);
    size_t after = 0, pieces = 0;
    for (const machine::IndexedMesh& part : parts) {
      after += machine::simplified(part, machine::DecompositionSettings{}.triangleBudget).indices.size() / 3;
      pieces += machine::convexPieces(part).size();
    }
    std::printf("  %-22s %6zu triangles, %zu parts, %6zu after simplifying: %zu pieces in %.3f s\n", path.c_str(),
                mesh.indices.size() / 3, parts.size(), after, pieces, secondsSince(start));
  }
}

// Decomposes every model into an empty cache, then reads them back.
void cacheFigures(const fs::path& folder, const machine::Machine& m) {
  const fs::path root = fs::temp_directory_path() / ("korvane-machine-bench-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const machine::MeshCache cache(root);
  std::vector<machine::IndexedMesh> meshes;
  for (const machine::ModelSlot& slot : m.models()) meshes.push_back(view::readModelFile(folder / slot.entry->path));
  for (int pass = 0; pass < 2; ++pass) {
    const auto start = Clock::now();
    for (const machine::IndexedMesh& mesh : meshes) {
      if (mesh.indices.empty()) continue;
      const uint64_t key = machine::geometryKey(mesh.vertices, mesh.indices);
      if (cache.read(key)) continue;
      cache.write(key, machine::decompose(mesh));
    }
    std::printf("  models %s: %.3f s\n", pass == 0 ? "first load (decomposed, cached)" : "again (from the cache)   ",
                secondsSince(start));
  }
  fs::remove_all(root);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path samples = argc > 1 ? fs::path(argv[1]) : fs::path(KORVANE_SAMPLE_MACHINES);
  for (const char* name : {"vertical-mill", "vertical-mill-legacy", "five-axis-ac", "lathe"}) {
    const fs::path folder = samples / name;
    const std::string text = textOf(folder / "machine.json");
    if (text.empty()) {
      std::fprintf(stderr, "machine_bench: %s/machine.json not found\n", folder.c_str());
      return 1;
    }
    const bool legacy = text.find("\"MachineDefinition") != std::string::npos;
    std::printf("%s%s\n", name, legacy ? " (legacy layout)" : "");
    definitionFigures(text, legacy);
    machine::DefinitionRead read = machine::readDefinition(text, legacy, 0);
    const machine::Machine m(std::move(read.definition), false);
    decompositionFigures(folder, m);
    cacheFigures(folder, m);
  }
  return 0;
}
