// A whole enhancement of a cut stock: vertices land on the surface that
// made them (a face of the box, or the sweep of the cut that left it, both
// checked against the exact sweeps of the test support, not the shaders),
// no vertex ends inside a cut, triangles take their surface's colour, and
// the solid program's buffers receive the mesh; split creases lose their
// chamfers, and collapses keep the mesh closed and within the tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <numeric>
#include <random>
#include <string>

#include <glm/glm.hpp>

#include "enhance/CoincidentVertices.h"
#include "enhance/ProjectionRecord.h"
#include "enhance/StockEnhancement.h"
#include "gpu/Dispatch.h"
#include "stock/MillCut.h"
#include "stock/StockDrawing.h"
#include "support/BoxStock.h"
#include "support/GpuTest.h"
#include "support/SweepReference.h"
#include "support/ToolBuilder.h"

namespace {

struct Cut {
  glm::dvec3 from, to;
  testsupport::ToolSolid solid;
  tools::CutRecord record;
  uint8_t owner;
  glm::dvec3 axis{0.0, 0.0, 1.0};
};

// Two slots that leave a wall 0.5 mm thick between them, about a cell:
// both its sides are near, where a careless collapse would pinch them
// together.
const std::vector<Cut>& thinWall() {
  static const std::vector<Cut> cuts{
      {{7.75, -1, 4}, {7.75, 13, 4}, testsupport::flatMillSolid(2, 20),
       testsupport::cuttingRecordOf(testsupport::flatProfile(2, 20)), 9},
      {{12.25, -1, 5}, {12.25, 13, 5}, testsupport::flatMillSolid(2, 20),
       testsupport::cuttingRecordOf(testsupport::flatProfile(2, 20)), 11},
  };
  return cuts;
}

const std::vector<Cut>& threeCuts() {
  static const std::vector<Cut> cuts{
      {{2, 6, 5.5}, {18, 3, 6.5}, testsupport::ballMillSolid(1.5, 20),
       testsupport::cuttingRecordOf(testsupport::ballProfile(1.5, 20)), 7},
      {{10, -1, 4}, {10, 13, 4}, testsupport::flatMillSolid(2, 20),
       testsupport::cuttingRecordOf(testsupport::flatProfile(2, 20)), 9},
      {{3, 10, 6}, {16, 9, 6}, testsupport::bullNoseSolid(1, 1, 20),
       testsupport::cuttingRecordOf(testsupport::bullNoseProfile(1, 1, 20, true)), 11},
  };
  return cuts;
}

testsupport::Points pointsOf(const std::vector<glm::dvec2>& profile) {
  testsupport::Points points;
  for (const glm::dvec2& p : profile) points.push_back(testsupport::straightTo(float(p.x), float(p.y)));
  return points;
}

// Mills of general profiles: a 90-degree engraving cone, a cone cut off
// flat (a chamfer mill), and a cutter with a neck above a wider head.
const std::vector<Cut>& profileCuts() {
  static const std::vector<glm::dvec2> vee{{0, 0}, {3, 3}, {3, 20}, {0, 20}},
      chamfer{{0, 0}, {1, 0}, {3, 2}, {3, 20}, {0, 20}}, necked{{0, 0}, {2.5, 0}, {2.5, 1.5}, {1.2, 2.5}, {1.2, 20}, {0, 20}};
  static const std::vector<Cut> cuts{
      {{2, 6, 6.5}, {18, 3, 7}, testsupport::profileSolid(vee, true), testsupport::cuttingRecordOf(pointsOf(vee)), 7},
      {{10, -1, 5}, {10, 13, 5}, testsupport::profileSolid(chamfer, true), testsupport::cuttingRecordOf(pointsOf(chamfer)), 9},
      {{3, 10, 5}, {16, 9, 5.5}, testsupport::frustaSolid(necked), testsupport::cuttingRecordOf(pointsOf(necked)), 11},
  };
  return cuts;
}

// Tools that do not turn, or turn about a tilted axis: an L-shaped blade
// on a tilted axis (its across direction follows the axis), a pointed
// hexagonal punch, and a notched profile on a tilted part axis, which the
// toolpath's tilted axis turns.
const std::vector<Cut>& unturnedCuts() {
  static const std::vector<glm::dvec2> blade{{0, 0}, {3, 0}, {3, 2}, {1, 2}, {1, 8}, {0, 8}},
      hexagonal{{0, 0}, {1.5, 0}, {3, 2}, {3, 10}, {0, 10}},
      notched{{0, 0}, {3, 0}, {3, 3}, {1.5, 5}, {3, 7}, {3, 10}, {0, 10}};
  static const std::vector<Cut> cuts{
      {{2, 2, 5}, {9, 9, 5.5}, testsupport::prismSolid(blade, 0, 2),
       testsupport::cuttingRecordOf(pointsOf(blade), SIM_PROFILE_EXTRUDED, 2), 7, glm::normalize(glm::dvec3(0.2, -0.3, 1))},
      {{12, 3, 5}, {16, 9, 5.5}, testsupport::polygonSidedSolid(hexagonal, 6),
       testsupport::cuttingRecordOf(pointsOf(hexagonal), SIM_PROFILE_REVOLVED, 0, {}, 6), 9},
      {{4, 10, 3.5}, {15, 11, 3.5}, testsupport::frustaSolid(notched),
       testsupport::cuttingRecordOf(pointsOf(notched), SIM_PROFILE_REVOLVED, 0, {0.3, 1, 0}), 11,
       glm::normalize(glm::dvec3(-0.25, 0, 1))},
  };
  return cuts;
}

// A 20 x 12 x 8 box (cells of about 0.4 mm) cut by a ball, a flat and a
// bull-nose move, or by other cuts, ready to enhance.
class StockEnhancementTest : public testsupport::GpuTest {
 protected:
  void cutTheBox(const std::vector<Cut>& cuts = threeCuts()) {
    input = {};
    exact.clear();
    ASSERT_TRUE(stock.make({0, 0, 0}, {20, 12, 8}, 30'000, limits_));
    stock::MillCut mill;
    for (const Cut& c : cuts) {
      const glm::vec3 axis(c.axis);
      const std::vector<toolpath::GPUMoveRecord> moves{
          {float(c.from.x), float(c.from.y), float(c.from.z), axis.x, axis.y, axis.z, 0, toolpath::kMoveCut},
          {float(c.to.x), float(c.to.y), float(c.to.z), axis.x, axis.y, axis.z, 0, toolpath::kMoveCut}};
      mill.cut(stock.grid, stock::MoveStream(moves), 1, 2, c.record, c.owner, {});
      ASSERT_TRUE(enhance::addMillSweep(input.sweeps, c.from, c.to, c.axis, c.axis, c.record, c.owner, 1.0f));
      exact.push_back({c.from, c.to, c.axis, c.solid});
    }
    extraction.extract(stock.grid);
    input.surface = &extraction;
    input.frame = stock.grid.frame();
    input.initialShape = stock.box;
    input.colours = stock::defaultOwnerColours();
    input.colours[2] = stock::packRgba(40, 40, 40);
  }

  // How far p lies from the exact surface `source` names.
  double offSurface(const glm::dvec3& p, int32_t source) const {
    if (source >= 0) return std::abs(exact[size_t(source)].distance(p));
    double off = 1e300;
    for (int k = 0; k < 3; ++k) off = std::min({off, std::abs(p[k] - stock.box.min[k]), std::abs(p[k] - stock.box.max[k])});
    return off;
  }

  // The signed distance of the cut part (negative in its material), exact
  // on its surface.
  double partDistance(const glm::dvec3& p) const {
    const glm::dvec3 centre = (stock.box.min + stock.box.max) / 2.0, half = (stock.box.max - stock.box.min) / 2.0;
    const glm::dvec3 q = glm::abs(p - centre) - half;
    double d = glm::length(glm::max(q, 0.0)) + std::min(std::max({q.x, q.y, q.z}), 0.0);
    for (const testsupport::LinearSweep& s : exact) d = std::max(d, -s.distance(p));
    return d;
  }

  // Split points may lie splitTolerance off, when that is larger.
  void landOnTheirSurfaces(const std::vector<Cut>& cuts, double tolerance, double splitTolerance = 0);

  testsupport::BoxStock stock;
  stock::SurfaceExtraction extraction;
  enhance::EnhancementInput input;
  std::vector<testsupport::LinearSweep> exact;
};

double distanceToSegment(const glm::dvec3& p, const glm::dvec3& a, const glm::dvec3& b) {
  const glm::dvec3 ab = b - a;
  const double t = std::clamp(glm::dot(p - a, ab) / std::max(glm::dot(ab, ab), 1e-300), 0.0, 1.0);
  return glm::distance(p, a + t * ab);
}

double distanceToTriangle(const glm::dvec3& p, const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& c) {
  const glm::dvec3 n = glm::cross(b - a, c - a);
  const double area2 = glm::dot(n, n);
  if (area2 > 0) {
    const glm::dvec3 q = p - glm::dot(p - a, n) / area2 * n;  // p in the triangle's plane
    const bool inside = glm::dot(glm::cross(b - a, q - a), n) >= 0 && glm::dot(glm::cross(c - b, q - b), n) >= 0 &&
                        glm::dot(glm::cross(a - c, q - c), n) >= 0;
    if (inside) return glm::distance(p, q);
  }
  return std::min({distanceToSegment(p, a, b), distanceToSegment(p, b, c), distanceToSegment(p, c, a)});
}

struct MeshOnHost {
  std::vector<glm::dvec3> positions;
  std::vector<uint32_t> corners;
  std::vector<enhance::ProjectionWords> records;
};

MeshOnHost readMesh(const enhance::EnhancedMesh& mesh) {
  MeshOnHost host;
  for (const glm::vec4& p : gpu::readBack<glm::vec4>(mesh.positions, 0, mesh.vertexCount)) host.positions.emplace_back(p);
  host.corners = gpu::readBack<uint32_t>(mesh.triangles, 0, uint64_t{mesh.triangleCount} * 3);
  host.records = gpu::readBack<enhance::ProjectionWords>(mesh.projections, 0, mesh.vertexCount);
  return host;
}

// Closed as the mesh's indices say, and as an STL file sees it, by
// positions: every edge is met once in each direction, and no triangle has
// two corners in one place. Either can fail alone: vertices in one place
// that share no edge, an edge met by four triangles.
std::string openingsOf(const MeshOnHost& mesh) {
  std::map<std::array<double, 3>, uint32_t> places;
  const auto placeOf = [&](uint32_t v) {
    const glm::dvec3& p = mesh.positions[v];
    return places.emplace(std::array<double, 3>{p.x, p.y, p.z}, static_cast<uint32_t>(places.size())).first->second;
  };
  const auto openingsBy = [&](const auto& placeOfVertex) -> std::string {
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    for (size_t t = 0; t < mesh.corners.size(); t += 3) {
      for (size_t k = 0; k < 3; ++k) {
        const uint32_t a = placeOfVertex(mesh.corners[t + k]), b = placeOfVertex(mesh.corners[t + (k + 1) % 3]);
        if (a == b) return "triangle " + std::to_string(t / 3) + " has two corners in one place";
        ++directed[{a, b}];
      }
    }
    for (const auto& [edge, count] : directed) {
      const auto back = directed.find({edge.second, edge.first});
      if (count != 1 || back == directed.end() || back->second != 1)
        return "an edge is met " + std::to_string(count) + " and " +
               std::to_string(back == directed.end() ? 0 : back->second) + " times";
    }
    return {};
  };
  const std::string byIndex = openingsBy([](uint32_t v) { return v; });
  return byIndex.empty() ? openingsBy(placeOf) : "by index: " + byIndex;
}

TEST_F(StockEnhancementTest, VerticesLandOnTheSurfacesThatMadeThem) {
  // A general profile's sweep is found by a search along the move that
  // may settle a hair beside a rim (the analytic shapes' is exact), and
  // vertices on the crease where a cut meets a box face keep the lattice's
  // 1/128 of a cell along it: micrometres, where marching cubes is off by
  // up to 0.2 mm.
  landOnTheirSurfaces(threeCuts(), 2e-4);
  landOnTheirSurfaces(profileCuts(), 4e-3);
  // From inside the sweep of a tool that does not turn, a split point in a
  // groove where two swept faces meet reaches the surface along the
  // nearest of a fan of ways, not square to it: within about 0.01 mm.
  landOnTheirSurfaces(unturnedCuts(), 4e-3, 0.012);
}

void StockEnhancementTest::landOnTheirSurfaces(const std::vector<Cut>& cuts, double tolerance,
                                               double splitTolerance) {
  SCOPED_TRACE(&cuts == &profileCuts()    ? "general profiles"
               : &cuts == &unturnedCuts() ? "extruded, flat-sided and tilted"
                                          : "ball, flat and bull nose");
  cutTheBox(cuts);
  std::vector<int> percents;
  enhance::EnhancementReport report;
  const std::unique_ptr<enhance::EnhancedMesh> mesh =
      enhance::enhanceStock(input, [&](int p) { percents.push_back(p); }, &report);
  ASSERT_TRUE(mesh);
  EXPECT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  ASSERT_EQ(report.movedVertices, mesh->vertexCount) << "every vertex and split point has its surface in reach";
  EXPECT_GT(report.sweepVertices, report.vertices / 10);
  EXPECT_GT(report.mixedTriangles, 0u);

  const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(mesh->positions, 0, mesh->vertexCount);
  const auto records = gpu::readBack<enhance::ProjectionWords>(mesh->projections, 0, mesh->vertexCount);
  std::array<uint32_t, 4> bySource{};  // initial stock, then each cut
  // Split points lie where two surfaces meet: on the one they were placed
  // on, and on the other as nearly as its tangent plane is it.
  std::array<double, 2> worstOnSurface{}, deepestInsideACut{};  // welded vertices, split points
  for (size_t v = 0; v < positions.size(); ++v) {
    const glm::dvec3 p(positions[v]);
    const int32_t source = enhance::decodeProjection(records[v]).source;
    ASSERT_GE(source, -1);
    ASSERT_LT(source, 3);
    ++bySource[size_t(source + 1)];
    const size_t kind = v < report.vertices ? 0 : 1;
    worstOnSurface[kind] = std::max(worstOnSurface[kind], offSurface(p, source));
    double& deepest = deepestInsideACut[kind];
    for (const testsupport::LinearSweep& s : exact) deepest = std::max(deepest, -s.distance(p));
  }
  EXPECT_LT(worstOnSurface[0], tolerance) << "moved vertices lie on their surfaces";
  EXPECT_LT(worstOnSurface[1], std::max(tolerance, splitTolerance)) << "split points lie on their surfaces";
  EXPECT_LT(deepestInsideACut[0], tolerance) << "no vertex inside material a cut removed";
  EXPECT_LT(deepestInsideACut[1], std::max({tolerance, splitTolerance, 2e-3}))
      << "no split point deep inside material a cut removed";
  for (size_t s = 0; s < bySource.size(); ++s) EXPECT_GT(bySource[s], 30u) << "source " << int(s) - 1;

  // Triangles whose corners all lie on one surface take its colour.
  const std::vector<uint32_t> triangles = gpu::readBack<uint32_t>(mesh->triangles, 0, uint64_t{mesh->triangleCount} * 3);
  const std::vector<glm::uvec2> attributes = gpu::readBack<glm::uvec2>(mesh->attributes, 0, mesh->triangleCount);
  size_t checked = 0;
  for (uint32_t t = 0; t < mesh->triangleCount; ++t) {
    const int32_t a = static_cast<int32_t>(records[triangles[3 * t]][3]);
    if (a != static_cast<int32_t>(records[triangles[3 * t + 1]][3]) || a != static_cast<int32_t>(records[triangles[3 * t + 2]][3]))
      continue;
    const uint32_t owner = a < 0 ? 2u : cuts[size_t(a)].owner;
    EXPECT_EQ(attributes[t].y & 0xFFFFFFu, input.colours[owner] & 0xFFFFFFu) << t;
    EXPECT_EQ(attributes[t].y >> 24, 128u) << "owner codes other than 0 shine";
    ++checked;
  }
  EXPECT_GT(checked, mesh->triangleCount / 2);

  stock::SolidMesh solid;
  enhance::copyIntoSolidMesh(*mesh, solid);
  EXPECT_EQ(solid.indexCount(), mesh->triangleCount * 3);
  std::vector<float> vertexData(size_t{mesh->vertexCount} * stock::SolidMesh::kFloatsPerVertex);
  glBindBuffer(GL_ARRAY_BUFFER, solid.vertexBuffer());
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(vertexData.size() * 4), vertexData.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  for (size_t v = 0; v < positions.size(); v += 97)
    EXPECT_EQ(glm::vec3(vertexData[5 * v], vertexData[5 * v + 1], vertexData[5 * v + 2]), glm::vec3(positions[v]));
  EXPECT_EQ(enhance::readBackSurface(*mesh).triangles, triangles);
}

TEST_F(StockEnhancementTest, CollapsesKeepTheMeshClosedAndWithinTheTolerance) {
  for (const auto* cuts : {&threeCuts(), &thinWall()}) {
    SCOPED_TRACE(cuts == &thinWall() ? "a thin wall" : "three cuts");
    cutTheBox(*cuts);
    const std::unique_ptr<enhance::EnhancedMesh> fine = enhance::enhanceStock(input, {});
    input.tolerance = 0.02;
    enhance::EnhancementReport report;
    const std::unique_ptr<enhance::EnhancedMesh> coarse = enhance::enhanceStock(input, {}, &report);
    ASSERT_TRUE(fine && coarse);
    ASSERT_GT(report.splitEdges, 0u);
    const MeshOnHost before = readMesh(*fine), after = readMesh(*coarse);
    EXPECT_EQ(openingsOf(before), "");
    EXPECT_EQ(openingsOf(after), "");
    EXPECT_GT(report.collapseRounds, 1u);
    // The box's faces and the flat cut's floor and walls are planes: most of
    // their triangles go.
    EXPECT_LT(coarse->triangleCount, fine->triangleCount / 2);

    std::vector<bool> used(after.positions.size(), false);
    for (const uint32_t v : after.corners) used[v] = true;
    double worstOnSurface = 0;
    for (size_t v = 0; v < used.size(); ++v) {
      if (used[v]) worstOnSurface = std::max(worstOnSurface, offSurface(after.positions[v], static_cast<int32_t>(after.records[v][3])));
    }
    EXPECT_LT(worstOnSurface, 2e-4) << "the vertices that remain have not moved off their surfaces";

    // Every vertex of the full mesh, on the exact surface, is near what
    // replaced it.
    std::vector<std::pair<glm::dvec3, glm::dvec3>> boxes;
    for (size_t t = 0; t < after.corners.size(); t += 3) {
      const glm::dvec3 &a = after.positions[after.corners[t]], &b = after.positions[after.corners[t + 1]],
                       &c = after.positions[after.corners[t + 2]];
      boxes.emplace_back(glm::min(a, glm::min(b, c)) - 0.1, glm::max(a, glm::max(b, c)) + 0.1);
    }
    double worstGap = 0;
    for (size_t v = 0; v < before.positions.size(); ++v) {
      const glm::dvec3& p = before.positions[v];
      double gap = 1e300;
      for (size_t t = 0; t < boxes.size(); ++t) {
        if (glm::any(glm::lessThan(p, boxes[t].first)) || glm::any(glm::greaterThan(p, boxes[t].second))) continue;
        gap = std::min(gap, distanceToTriangle(p, after.positions[after.corners[3 * t]],
                                               after.positions[after.corners[3 * t + 1]],
                                               after.positions[after.corners[3 * t + 2]]));
      }
      worstGap = std::max(worstGap, gap);
    }
    EXPECT_LT(worstGap, input.tolerance + 1e-4);
  }
}

TEST_F(StockEnhancementTest, SplitsTakeTheChamfersOffTheCreases) {
  cutTheBox();
  input.splitCreases = false;
  const std::unique_ptr<enhance::EnhancedMesh> chamfered = enhance::enhanceStock(input, {});
  input.splitCreases = true;
  enhance::EnhancementReport report;
  const std::unique_ptr<enhance::EnhancedMesh> split = enhance::enhanceStock(input, {}, &report);
  ASSERT_TRUE(chamfered && split);
  EXPECT_GT(report.splitEdges, 0u);
  EXPECT_EQ(split->vertexCount, chamfered->vertexCount + report.splitEdges + report.centrePoints);
  // Where a triangle's middle lies off the part, it cuts a corner.
  const auto offPart = [&](const enhance::EnhancedMesh& mesh) {
    const MeshOnHost host = readMesh(mesh);
    std::array<size_t, 2> off{};  // beyond a tenth of the reach, beyond a third
    for (size_t t = 0; t < host.corners.size(); t += 3) {
      const glm::dvec3 middle =
          (host.positions[host.corners[t]] + host.positions[host.corners[t + 1]] + host.positions[host.corners[t + 2]]) / 3.0;
      const double d = std::abs(partDistance(middle));
      off[0] += d > 0.1 * report.maxError;
      off[1] += d > report.maxError / 3;
    }
    EXPECT_EQ(openingsOf(host), "");
    return off;
  };
  const std::array<size_t, 2> before = offPart(*chamfered), after = offPart(*split);
  EXPECT_LT(after[0] * 3, before[0]);
  EXPECT_LT(after[1] * 3, before[1]);
}

TEST_F(StockEnhancementTest, VerticesJoinedByEdgesOfNoLengthBecomeOneAndTheirSliversGo) {
  // A fan of triangles about the origin, and beside every corner of the fan
  // a second vertex in the same place, joined to it by a sliver.
  constexpr uint32_t kSides = 40;
  std::vector<glm::vec4> positions{glm::vec4(0, 0, 0, 1)};
  for (uint32_t k = 0; k < kSides; ++k) {
    const double a = 2 * 3.14159265358979 * k / kSides;
    positions.emplace_back(float(std::cos(a)), float(std::sin(a)), 0.0f, 1.0f);
  }
  for (uint32_t k = 0; k < kSides; ++k) positions.push_back(positions[1 + k]);  // the twins, 1 + kSides + k
  std::vector<uint32_t> corners;
  for (uint32_t k = 0; k < kSides; ++k) {
    const uint32_t rim = 1 + k, next = 1 + (k + 1) % kSides, twin = 1 + kSides + (k + 1) % kSides;
    corners.insert(corners.end(), {0, rim, k % 2 == 0 ? next : twin});  // every other fan triangle takes the twin
    corners.insert(corners.end(), {rim, next, twin});                     // the sliver
  }
  // Off the fan: a sheet that only touches vertex 1's place, which must keep
  // its own vertex, and a third vertex at vertex 2's place joined to vertex
  // 2's twin alone, which must reach vertex 2 through it.
  const uint32_t touching = static_cast<uint32_t>(positions.size()), third = touching + 1, far = touching + 2;
  positions.insert(positions.end(), {positions[1], positions[2], glm::vec4(5, 0, 0, 1), glm::vec4(5, 1, 0, 1)});
  corners.insert(corners.end(), {touching, far, far + 1, 0, 2 + kSides, third, third, far + 1, far});
  // A chain of 200 vertices in one place, each joined by a sliver to the
  // next in an order their indices do not follow; a triangle on its last
  // one must reach the lowest index of them all.
  constexpr uint32_t kChain = 200;
  const uint32_t chainStart = static_cast<uint32_t>(positions.size());
  std::vector<uint32_t> chain(kChain);
  std::iota(chain.begin(), chain.end(), chainStart);
  std::shuffle(chain.begin(), chain.end(), std::mt19937(5));
  positions.insert(positions.end(), kChain, glm::vec4(9, 9, 0, 1));
  for (uint32_t k = 0; k + 1 < kChain; ++k) corners.insert(corners.end(), {chain[k], chain[k + 1], far});
  corners.insert(corners.end(), {chain.back(), far, far + 1});
  enhance::EnhancedMesh mesh;
  mesh.vertexCount = static_cast<uint32_t>(positions.size());
  mesh.triangleCount = static_cast<uint32_t>(corners.size() / 3);
  mesh.positions = gpu::SSBO(positions.size() * 16);
  mesh.positions.upload(positions.data(), positions.size() * 16);
  mesh.triangles = gpu::SSBO(corners.size() * 4);
  mesh.triangles.upload(corners.data(), corners.size() * 4);

  EXPECT_EQ(enhance::mergeCoincidentVertices(mesh), kSides + 1 + kChain - 1) << "every sliver goes";
  ASSERT_EQ(mesh.triangleCount, kSides + 3);
  const std::vector<uint32_t> merged = gpu::readBack<uint32_t>(mesh.triangles, 0, uint64_t{kSides + 3} * 3);
  const auto cornersOf = [&](uint32_t t) { return std::vector<uint32_t>(merged.begin() + 3 * t, merged.begin() + 3 * t + 3); };
  for (uint32_t k = 0; k < kSides; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(cornersOf(k), std::vector<uint32_t>({0, 1 + k, 1 + (k + 1) % kSides}))
        << "the fan in order, on the first vertex of each place";
  }
  EXPECT_EQ(cornersOf(kSides), std::vector<uint32_t>({touching, far, far + 1})) << "only touching";
  EXPECT_EQ(cornersOf(kSides + 1), std::vector<uint32_t>({2, far + 1, far})) << "joined through the twin";
  EXPECT_EQ(cornersOf(kSides + 2), std::vector<uint32_t>({chainStart, far, far + 1})) << "along the whole chain";
}
}  // namespace
