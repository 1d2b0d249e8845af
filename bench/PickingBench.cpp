// Figures of picking and mouse navigation: the latency of one pick (the id
// pass and the read-back around the cursor) at 1600 x 900 with every move
// end of bear.nc as a point and a model of a million triangles, and the CPU
// cost of one frame of navigation while a left drag turns the view.
//
//   xvfb-run -a picking_bench
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <utility>
#include <cstdio>
#include <cstring>
#include <vector>

#include "GpuBench.h"
#include "GCodeReader.h"
#include "support/PickArrays.h"
#include "toolpath/ToolpathLines.h"
#include "view/EntityId.h"
#include "view/MouseNavigation.h"
#include "view/Picking.h"

namespace {

constexpr int kWidth = 1600, kHeight = 900;

// A wavy sheet of side x side quads (two triangles each) over the box's
// floor, non-indexed like the machine models.
std::vector<float> sheet(int side, const camera::SceneBox& box) {
  std::vector<float> v;
  v.reserve(static_cast<size_t>(side) * side * 18);
  auto at = [&](int i, int j) {
    const float x = box.min.x + (box.max.x - box.min.x) * i / side;
    const float z = box.min.z + (box.max.z - box.min.z) * j / side;
    return std::array<float, 3>{x, box.min.y + 2.0f * std::sin(x * 0.2f) * std::cos(z * 0.2f), z};
  };
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j)
      for (auto [di, dj] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}}) {
        const auto p = at(i + di, j + dj);
        v.insert(v.end(), p.begin(), p.end());
      }
  return v;
}

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!bench::openContext(context)) return 1;
  const host::Program bear = host::readGCodeFile(KORVANE_BEAR);

  // Every move end as a point, in the display frame (Y up).
  std::vector<toolpath::LineVertex> points;
  camera::SceneBox box;
  for (size_t m = 0; m < bear.moves.size(); ++m) {
    const host::Point& p = bear.moves[m].end;
    toolpath::LineVertex v{};
    v.position[0] = float(p.x), v.position[1] = float(p.z), v.position[2] = float(-p.y);
    v.kind = toolpath::LineKind::kFeedEnd;
    v.move = static_cast<int32_t>(m);
    points.push_back(v);
    camera::SceneBox one;
    one.min = one.max = glm::vec3(v.position[0], v.position[1], v.position[2]);
    box.include(one);
  }
  const std::vector<float> model = sheet(708, box);  // 1,002,528 triangles
  const testsupport::PickArray modelArray =
      testsupport::uploadPickArray(model.data(), model.size() * sizeof(float), false);
  const testsupport::PickArray pointArray =
      testsupport::uploadPickArray(points.data(), points.size() * sizeof(toolpath::LineVertex), true);
  // The model in runs, as the machine's and the host's models are handed
  // to picking.
  const std::vector<view::PickChunk> runs = view::pickChunks(
      model.size() / 3, 3, [&](size_t v) { return glm::vec3(model[3 * v], model[3 * v + 1], model[3 * v + 2]); });
  view::PickList list;
  list.meshes.push_back({modelArray.array, GL_TRIANGLES, 0, GLsizei(model.size() / 3), glm::mat4(1.0f),
                         view::entity::machineTriangleBase(0), &runs});
  list.points.push_back({pointArray.array, 0, GLsizei(points.size()), glm::mat4(1.0f), 7.0f});

  camera::Camera camera(kWidth, kHeight);
  camera.setView(camera::StandardView::Isometric, box, false);
  camera.updateForScene(box);
  const view::SceneDraw scene{camera.drawState(), {}};

  view::Picking picking;
  picking.pick(list, scene, kWidth, kHeight, kWidth / 2, kHeight / 2);  // programs and target made
  const auto measure = [&](const view::PickList& what, const char* name) {
    std::vector<double> latencies;
    size_t hits = 0;
    for (int i = 0; i < 30; ++i) {
      const auto start = Clock::now();
      const view::PickHit hit = picking.pick(what, scene, kWidth, kHeight, 400 + 27 * i, 300 + 9 * i);
      latencies.push_back(secondsSince(start) * 1e3);
      hits += hit.hit;
    }
    std::printf("pick at %d x %d, %s: median %.2f ms, worst %.2f ms (%zu of 30 hit)\n", kWidth, kHeight, name,
                median(latencies), *std::max_element(latencies.begin(), latencies.end()), hits);
  };
  std::printf("%zu move ends, %zu triangles\n", points.size(), model.size() / 9);
  measure(list, "move ends and the model in runs");
  view::PickList whole = list;
  whole.meshes.front().chunks = nullptr;
  measure(whole, "move ends and the model drawn whole");
  view::PickList pointsOnly = list;
  pointsOnly.meshes.clear();
  measure(pointsOnly, "move ends alone");

  // Navigation: a left drag turning the view, one frame at a time.
  view::MouseNavigation navigation;
  view::MouseBindingTable bindings;
  view::InputState input;
  input.cursorX = 800, input.cursorY = 450;
  view::NavigationInput frame;
  frame.input = &input;
  frame.depthUnderCursor = [](glm::dvec2) { return std::optional<float>(0.5f); };
  navigation.navigate(frame, bindings, camera, 0);
  input.buttonDown[0] = input.wentDown[0] = true;
  navigation.navigate(frame, bindings, camera, 16);
  input.wentDown[0] = false;
  constexpr int kFrames = 20000;
  const auto start = Clock::now();
  for (int i = 0; i < kFrames; ++i) {
    input.cursorX = 800 + (i % 200) - 100;
    navigation.navigate(frame, bindings, camera, 16.0 * i);
  }
  std::printf("navigation, a left drag turning the view: %.2f us per frame\n",
              secondsSince(start) / kFrames * 1e6);

  picking.release();
  for (const testsupport::PickArray& made : {modelArray, pointArray}) {
    glDeleteBuffers(1, &made.buffer);
    glDeleteVertexArrays(1, &made.array);
  }
  return 0;
}
