// Measuring: the feature edges a model offers to snap to, and where a
// measuring click lands — on an edge's end within 4 pixels, else on the
// edge point nearest the cursor's ray, else at the depth under the cursor —
// in both projections.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include <glm/geometric.hpp>

#include "camera/Camera.h"
#include "machine/FeatureEdges.h"
#include "view/Measuring.h"

namespace {

// A box as 8 shared corners, or as a soup of 36 corners, one per triangle
// corner.
machine::IndexedMesh box(bool soup) {
  machine::IndexedMesh m;
  for (int i = 0; i < 8; ++i) m.vertices.emplace_back(i & 1 ? 10 : 0, i & 2 ? 6 : 0, i & 4 ? 4 : 0);
  m.indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4, 2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
  if (!soup) return m;
  machine::IndexedMesh s;
  for (uint32_t index : m.indices) {
    s.indices.push_back(static_cast<uint32_t>(s.vertices.size()));
    s.vertices.push_back(m.vertices[index]);
  }
  return s;
}

// A closed cylinder of n sides: two rings and two cap centres.
machine::IndexedMesh cylinder(uint32_t n) {
  machine::IndexedMesh m;
  for (int ring = 0; ring < 2; ++ring)
    for (uint32_t k = 0; k < n; ++k) {
      const double a = 2 * M_PI * k / n;
      m.vertices.emplace_back(10 * std::cos(a), 10 * std::sin(a), ring * 20);
    }
  const uint32_t bottom = 2 * n, top = 2 * n + 1;
  m.vertices.emplace_back(0, 0, 0);
  m.vertices.emplace_back(0, 0, 20);
  for (uint32_t k = 0; k < n; ++k) {
    const uint32_t next = (k + 1) % n;
    m.indices.insert(m.indices.end(), {k, next, n + next, k, n + next, n + k});
    m.indices.insert(m.indices.end(), {bottom, next, k, top, n + k, n + next});
  }
  return m;
}

TEST(FeatureEdges, CreasesBordersAndSharedEdgesButNotFlatSeamsOrFineFacets) {
  machine::IndexedMesh open;
  open.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
  // One triangle, one that repeats a corner and one past the vertices.
  open.indices = {0, 1, 2, 0, 0, 1, 0, 1, 9};
  machine::IndexedMesh fin = box(false);  // a third face on one box edge
  fin.vertices.emplace_back(0, -5, -5);
  fin.indices.insert(fin.indices.end(), {0, 1, 8});
  struct Case {
    std::string name;
    machine::IndexedMesh mesh;
    size_t edges;
  } cases[] = {
      {"a box", box(false), 12},
      {"a box whose triangles share no vertex", box(true), 12},
      {"24 sides of 15 degrees: only the rims", cylinder(24), 48},
      {"8 sides of 45 degrees: rims and seams", cylinder(8), 24},
      {"an open triangle's border; bad triangles skipped", open, 3},
      {"a box with a fin on one edge: the fin's two free edges added", fin, 14},
  };
  for (const Case& c : cases) {
    const std::vector<uint32_t> pairs = machine::featureEdges(c.mesh);
    ASSERT_EQ(pairs.size(), 2 * c.edges) << c.name;
    for (size_t k = 0; k < pairs.size(); k += 2) {
      ASSERT_LT(pairs[k + 1], c.mesh.vertices.size()) << c.name;
      EXPECT_NE(c.mesh.vertices[pairs[k]], c.mesh.vertices[pairs[k + 1]]) << c.name;
    }
  }
  // Every box edge is a crease of 90 degrees: a limit above it drops them all.
  EXPECT_TRUE(machine::featureEdges(box(false), 95.0f).empty());
}

struct Scene {
  camera::Camera camera{400, 300};
  explicit Scene(bool perspective) {
    camera.setProjection(perspective);
    camera.setView(camera::StandardView::Isometric, {{-20, -20, -20}, {20, 20, 20}}, false);
  }
  glm::dvec2 pixelOf(const glm::dvec3& p) const {
    const glm::dvec3 d = camera.deviceOf(p);
    return {(d.x + 1) / 2 * 400, (1 - d.y) / 2 * 300};
  }
  double windowDepthOf(const glm::dvec3& p) const { return (camera.deviceOf(p).z + 1) / 2; }
  // The world size of one pixel at a point.
  double pixelSizeAt(const glm::dvec3& p) const {
    const glm::dvec2 at = pixelOf(p);
    const double depth = windowDepthOf(p);
    return glm::distance(camera.worldAtPixel(at.x, at.y, depth), camera.worldAtPixel(at.x + 1, at.y, depth));
  }
};

TEST(Measuring, ClicksSnapToEdgeEndsOrTheEdgeOrTakeTheDepth) {
  const glm::dvec3 a{-10, 5, 8}, b{12, 5, -6};
  for (bool perspective : {false, true}) {
    SCOPED_TRACE(perspective ? "perspective" : "orthographic");
    const Scene scene(perspective);
    view::MeasureProbe probe;
    probe.edge = std::array<glm::dvec3, 2>{a, b};
    // The cursor names the pixel a point falls in. 2 px across and 2 down
    // from the second end: snapped to it exactly.
    probe.cursor = scene.pixelOf(b) + glm::dvec2(-2, 2);
    EXPECT_EQ(view::measuredPoint(probe, scene.camera), b);
    // Along the edge, 30 % of the way and two pixels to the side: the
    // edge's own point there.
    const glm::dvec3 inside = a + 0.3 * (b - a);
    const glm::dvec2 along = glm::normalize(scene.pixelOf(b) - scene.pixelOf(a));
    probe.cursor = scene.pixelOf(inside) + 2.0 * glm::dvec2(-along.y, along.x);
    const std::optional<glm::dvec3> onEdge = view::measuredPoint(probe, scene.camera);
    ASSERT_TRUE(onEdge);
    EXPECT_LT(glm::distance(*onEdge, inside), scene.pixelSizeAt(inside));
    EXPECT_LT(glm::length(glm::cross(*onEdge - a, b - a)) / glm::length(b - a), 1e-9) << "on the edge";
    // Five pixels out from an end along the edge: not the end, and not past it.
    probe.cursor = scene.pixelOf(a) - 5.0 * along;
    EXPECT_EQ(view::measuredPoint(probe, scene.camera), a) << "the edge's nearest point is its end";
    probe.cursor = scene.pixelOf(a) + 5.0 * along;
    EXPECT_GT(glm::distance(*view::measuredPoint(probe, scene.camera), a), 4 * scene.pixelSizeAt(a));

    // No edge: the depth puts the point on the surface under the cursor.
    probe.edge.reset();
    const glm::dvec3 surface{3, -4, 7};
    probe.cursor = scene.pixelOf(surface);
    probe.depth = scene.windowDepthOf(surface);
    const std::optional<glm::dvec3> onSurface = view::measuredPoint(probe, scene.camera);
    ASSERT_TRUE(onSurface);
    EXPECT_LT(glm::distance(*onSurface, surface), scene.pixelSizeAt(surface));
    probe.depth = 1.0;
    EXPECT_FALSE(view::measuredPoint(probe, scene.camera)) << "the background";
    probe.depth.reset();
    EXPECT_FALSE(view::measuredPoint(probe, scene.camera));
  }
}

TEST(Measuring, TheThirdClickStartsANewMeasurement) {
  view::Measurement m;
  m.add({1, 0, 0});
  m.add({2, 0, 0});
  ASSERT_EQ(m.count(), 2u);
  m.add({3, 0, 0});
  EXPECT_EQ(m.count(), 1u);
  EXPECT_EQ(m.points()[0], glm::dvec3(3, 0, 0));
  m.clear();
  EXPECT_EQ(m.count(), 0u);
  // Parallel lines: a point of the segment, not a division by zero.
  const glm::dvec3 p = view::segmentPointNearestLine({0, 0, 0}, {4, 0, 0}, {0, 1, 0}, {1, 0, 0});
  EXPECT_TRUE(p.x >= 0 && p.x <= 4 && p.y == 0 && p.z == 0);
}

}  // namespace
