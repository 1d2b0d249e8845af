#include "collision/PairTest.h"

#include <vector>

#include "collision/TriangleContact.h"

namespace collision {
namespace {

std::vector<Triangle> posedTriangles(const machine::IndexedMesh& mesh, std::span<const uint32_t> triangles,
                                     const Pose& pose) {
  std::vector<Triangle> posed;
  posed.reserve(triangles.size());
  for (uint32_t t : triangles) {
    if (3 * size_t(t) + 2 >= mesh.indices.size()) continue;
    Triangle p;
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = mesh.indices[3 * t + k];
      p[k] = v < mesh.vertices.size() ? pose.rotation * glm::dvec3(mesh.vertices[v]) + pose.translation
                                       : pose.translation;
    }
    posed.push_back(p);
  }
  return posed;
}

std::vector<uint32_t> everyTriangle(const machine::IndexedMesh& mesh) {
  std::vector<uint32_t> all(mesh.indices.size() / 3);
  for (uint32_t i = 0; i < all.size(); ++i) all[i] = i;
  return all;
}

}  // namespace

bool PairTester::touch(const PosedTree& first, const PosedTree& second, uint32_t sample) {
  if (!first.tree || !second.tree || first.tree->empty() || second.tree->empty()) return false;
  finestTouched_ = false;
  if (nodesTouch(first, 0, second, 0, sample)) return true;
  // Finest hulls met but no surfaces crossed: one solid may hold the other
  // whole.
  return finestTouched_ && (swallows(first, second) || swallows(second, first));
}

bool PairTester::swallows(const PosedTree& outer, const PosedTree& inner) {
  const ConvexNode& root = inner.tree->nodes.front();
  const glm::dvec3 point =
      inner.pose.rotation * glm::dvec3(root.hulls.front().front()) + inner.pose.translation;
  // The rotation is orthonormal: its transpose undoes it.
  const glm::dvec3 inOuter = glm::transpose(outer.pose.rotation) * (point - outer.pose.translation);
  for (const machine::IndexedMesh& mesh : outer.tree->meshes) {
    if (mesh.indices.size() / 3 > kLargestSwallowingMesh) continue;
    auto [own, added] = ownTriangles_.try_emplace(&mesh);
    if (added) own->second = posedTriangles(mesh, everyTriangle(mesh), Pose{});
    if (insideClosedMesh(inOuter, own->second)) return true;
  }
  return false;
}

bool PairTester::hullsTouch(const PosedHull& a, uint32_t idA, const PosedHull& b, uint32_t idB, uint32_t sample) {
  Stored& stored = table_[uint64_t(idA) * 31 + idB];
  const bool warm = stored.a == idA && stored.b == idB && stored.simplex.size > 0 &&
                    (stored.sample == sample || stored.sample + 1 == sample);
  if (!warm) stored = Stored{idA, idB, sample, {}};
  const GjkResult result = gjk(a, b, stored.simplex);
  stored.sample = sample;
  ++figures_.queries;
  figures_.warmStarts += warm;
  figures_.iterations += result.iterations;
  return result.contact;
}

bool PairTester::nodesTouch(const PosedTree& first, int32_t nodeA, const PosedTree& second, int32_t nodeB,
                            uint32_t sample) {
  const ConvexNode& na = first.tree->nodes[nodeA];
  const ConvexNode& nb = second.tree->nodes[nodeB];
  for (size_t a = 0; a < na.hulls.size(); ++a) {
    const PosedHull hullA{na.hulls[a], first.pose.rotation, first.pose.translation};
    const uint32_t idA = a < na.ids.size() ? na.ids[a] : 0;
    for (size_t b = 0; b < nb.hulls.size(); ++b) {
      const PosedHull hullB{nb.hulls[b], second.pose.rotation, second.pose.translation};
      if (!hullsTouch(hullA, idA, hullB, b < nb.ids.size() ? nb.ids[b] : 0, sample)) continue;
      // Finer levels where either side has them: the first object's first.
      const int32_t childA = na.hasChildren() ? na.children[a] : -1;
      const int32_t childB = nb.hasChildren() ? nb.children[b] : -1;
      if (childA >= 0 || childB >= 0) {
        if (nodesTouch(first, childA >= 0 ? childA : nodeA, second, childA >= 0 ? nodeB : childB, sample)) return true;
        continue;
      }
      const bool exactA = a < na.exact.size(), exactB = b < nb.exact.size();
      if (!exactA && !exactB) return true;
      finestTouched_ = true;
      if (exactA && exactB) {
        if (exactTouch(first, na.exact[a], second, nb.exact[b])) return true;
      } else if (exactA ? meshMeetsHull(first, na.exact[a], hullB) : meshMeetsHull(second, nb.exact[b], hullA)) {
        return true;
      }
    }
  }
  return false;
}

bool PairTester::meshMeetsHull(const PosedTree& side, const ExactElement& element, const PosedHull& hull) {
  ++figures_.exactTests;
  if (element.mesh >= side.tree->meshes.size()) return false;
  const machine::IndexedMesh& mesh = side.tree->meshes[element.mesh];
  std::vector<glm::vec3> corners(3);
  for (uint32_t t : element.triangles) {
    if (3 * size_t(t) + 2 >= mesh.indices.size()) continue;
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = mesh.indices[3 * t + k];
      corners[k] = v < mesh.vertices.size() ? mesh.vertices[v] : glm::vec3(0.0f);
    }
    Simplex simplex;
    if (gjk(PosedHull{corners, side.pose.rotation, side.pose.translation}, hull, simplex).contact) return true;
  }
  return false;
}

bool PairTester::exactTouch(const PosedTree& first, const ExactElement& a, const PosedTree& second,
                            const ExactElement& b) {
  ++figures_.exactTests;
  if (a.mesh >= first.tree->meshes.size() || b.mesh >= second.tree->meshes.size()) return false;
  const std::vector<Triangle> elementA = posedTriangles(first.tree->meshes[a.mesh], a.triangles, first.pose);
  const std::vector<Triangle> elementB = posedTriangles(second.tree->meshes[b.mesh], b.triangles, second.pose);
  return trianglesMeet(elementA, elementB);
}

}  // namespace collision
