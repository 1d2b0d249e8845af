// Writes the sample machines' model files: each model a set of closed,
// outward-facing primitives (boxes and cylinders), as binary STL in
// millimetres, machine coordinates with every axis at 0.
//
//   korvane-machine-models OUTPUT_DIR
//
// makes OUTPUT_DIR/<machine>/<model>.stl for the machines whose definitions
// name them.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "formats/StlWriter.h"

namespace {

struct Model {
  std::vector<glm::dvec3> vertices;
  std::vector<uint32_t> indices;

  void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { indices.insert(indices.end(), {a, b, c, a, c, d}); }

  Model& box(const glm::dvec3& lo, const glm::dvec3& hi) {
    const uint32_t o = static_cast<uint32_t>(vertices.size());
    for (int i = 0; i < 8; ++i) vertices.emplace_back(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
    quad(o + 0, o + 2, o + 3, o + 1);  // -z
    quad(o + 4, o + 5, o + 7, o + 6);  // +z
    quad(o + 0, o + 1, o + 5, o + 4);  // -y
    quad(o + 2, o + 6, o + 7, o + 3);  // +y
    quad(o + 0, o + 4, o + 6, o + 2);  // -x
    quad(o + 1, o + 3, o + 7, o + 5);  // +x
    return *this;
  }

  // A cylinder about the line through centre along axis (0 x, 1 y, 2 z),
  // from centre[axis] + from to centre[axis] + to.
  Model& cylinder(int axis, const glm::dvec3& centre, double radius, double from, double to, int segments) {
    const int u = (axis + 1) % 3, w = (axis + 2) % 3;
    const uint32_t o = static_cast<uint32_t>(vertices.size());
    for (int end = 0; end < 2; ++end) {
      glm::dvec3 middle = centre;
      middle[axis] += end ? to : from;
      vertices.push_back(middle);
      for (int s = 0; s < segments; ++s) {
        const double angle = 2 * M_PI * s / segments;
        glm::dvec3 p = middle;
        p[u] += radius * std::cos(angle);
        p[w] += radius * std::sin(angle);
        vertices.push_back(p);
      }
    }
    const uint32_t top = o + static_cast<uint32_t>(segments) + 1;
    for (int s = 0; s < segments; ++s) {
      const uint32_t a = static_cast<uint32_t>(s) + 1, b = static_cast<uint32_t>((s + 1) % segments) + 1;
      indices.insert(indices.end(), {o, o + b, o + a});                // low cap, facing -axis
      indices.insert(indices.end(), {top, top + a, top + b});          // high cap
      quad(o + a, o + b, top + b, top + a);                            // side
    }
    return *this;
  }
};

using Machine = std::map<std::string, Model>;

// A mill's tool holder below a spindle nose at z 100: flange and collet.
Model toolHolder() {
  Model m;
  m.cylinder(2, {0, 0, 0}, 32, 80, 100, 64).cylinder(2, {0, 0, 0}, 18, 45, 80, 48);
  return m;
}

Machine verticalMill() {
  Machine m;
  m["mill-base.stl"].box({-400, -350, -700}, {400, 350, -400});
  m["mill-column.stl"].box({-250, 350, -700}, {250, 650, 800});
  m["mill-saddle.stl"].box({-300, -250, -400}, {300, 250, -260});
  m["mill-table.stl"].box({-450, -200, -260}, {450, 200, -200}).box({-450, -200, -200}, {450, -150, -150});
  m["mill-head.stl"].box({-150, 150, 250}, {150, 400, 800}).cylinder(2, {0, 0, 0}, 60, 100, 250, 96);
  m["mill-toolholder.stl"] = toolHolder();
  return m;
}

Machine fiveAxis() {
  Machine m;
  m["five-base.stl"].box({-500, -400, -650}, {500, 400, -420});
  m["five-saddle.stl"].box({-350, -300, -420}, {350, 300, -330});
  m["five-carriage.stl"].box({-320, -250, -330}, {320, 250, -260});
  m["five-cradle.stl"]
      .box({-300, -150, -200}, {-230, 150, 80})
      .box({230, -150, -200}, {300, 150, 80})
      .box({-230, -150, -200}, {230, 150, -140});
  // Finely divided so that one model of the samples is large.
  m["five-rotary.stl"].cylinder(2, {0, 0, 0}, 140, -140, -60, 5200);
  m["five-head.stl"].box({-120, 200, 250}, {120, 450, 900}).cylinder(2, {0, 0, 0}, 55, 100, 250, 96);
  m["five-toolholder.stl"] = toolHolder();
  return m;
}

Machine lathe() {
  Machine m;
  m["lathe-bed.stl"].box({-400, -200, -300}, {-300, 200, 700}).box({-300, -200, -300}, {200, 200, -170});
  m["lathe-chuck.stl"]
      .cylinder(2, {0, 0, 0}, 110, -170, -80, 128)
      .box({60, -15, -80}, {100, 15, -40})
      .box({-80, 35, -80}, {-40, 65, -40})
      .box({-80, -65, -80}, {-40, -35, -40});
  m["lathe-tailstock.stl"].box({-300, -100, 520}, {80, 100, 680}).cylinder(2, {0, 0, 0}, 30, 440, 520, 64);
  m["lathe-carriage.stl"].box({340, -200, 50}, {420, 200, 350});
  m["lathe-cross-slide.stl"].box({300, -120, 80}, {340, 120, 320});
  m["lathe-turret.stl"].cylinder(2, {250, 0, 0}, 60, 130, 270, 8);
  // The block at the working station that clamps the shank.
  m["lathe-toolblock.stl"].box({160, -20, 185}, {190, 20, 215});
  return m;
}

bool writeModel(const std::filesystem::path& path, const Model& model) {
  const std::vector<uint8_t> image = formats::binaryStlImage(model.vertices, model.indices, 1.0);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvane-machine-models OUTPUT_DIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const std::map<std::string, Machine> machines = {{"vertical-mill", verticalMill()},
                                                   {"vertical-mill-legacy", verticalMill()},
                                                   {"five-axis-ac", fiveAxis()},
                                                   {"lathe", lathe()}};
  for (const auto& [name, models] : machines) {
    std::filesystem::create_directories(out / name);
    for (const auto& [file, model] : models)
      if (!writeModel(out / name / file, model)) {
        std::fprintf(stderr, "korvane-machine-models: cannot write %s\n", (out / name / file).c_str());
        return 1;
      }
  }
  return 0;
}
