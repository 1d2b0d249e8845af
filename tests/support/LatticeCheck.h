#pragma once
// Reads a stock lattice back from the GPU and compares it with an exact
// description of the solid it should hold.
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "gpu/Dispatch.h"
#include "stock/NodeWord.h"
#include "stock/SignField.h"
#include "stock/StockGrid.h"

namespace testsupport {

struct LatticeImage {
  stock::GridFrame frame;
  std::vector<uint32_t> nodeWords;
  std::vector<uint32_t> signWords;

  explicit LatticeImage(stock::StockGrid& grid)
      : frame(grid.frame()),
        nodeWords(gpu::readBackAll<uint32_t>(grid.nodeWords())),
        signWords(gpu::readBackAll<uint32_t>(grid.signField())) {}

  bool inside(const glm::uvec3& n) const { return stock::SignField(frame).inside(signWords, n.x, n.y, n.z); }
  uint32_t word(const glm::uvec3& n) const { return nodeWords[stock::NodeWord::index(frame.nodes, n.x, n.y, n.z)]; }
  uint8_t code(const glm::uvec3& n, int axis) const { return stock::NodeWord::crossing(word(n), axis); }
  glm::dvec3 world(const glm::uvec3& n) const { return frame.toWorld(glm::dvec3(n)); }
  uint64_t insideCount() const {
    uint64_t count = 0;
    forEachNode([&](const glm::uvec3& n) { count += inside(n); });
    return count;
  }
  double insideVolume() const { return insideCount() * std::pow(frame.exactCellSize, 3); }
  template <typename Visit>
  void forEachNode(Visit visit) const {
    for (uint32_t x = 0; x < frame.nodes.x; ++x)
      for (uint32_t y = 0; y < frame.nodes.y; ++y)
        for (uint32_t z = 0; z < frame.nodes.z; ++z) visit(glm::uvec3(x, y, z));
  }
};

// What a lattice is checked against: whether a world point is inside, and a
// lower bound of its distance to the surface.
struct SolidReference {
  std::function<bool(const glm::dvec3&)> inside;
  std::function<double(const glm::dvec3&)> distance;
  // Where the surface crosses the segment from a to b, as a fraction of it;
  // negative when it cannot be told (then only signs are checked).
  std::function<double(const glm::dvec3&, const glm::dvec3&)> crossing;
  // The exact distance to the surface, where the lower bound above is too
  // coarse to tell which edges have their nodes off the surface; optional.
  std::function<double(const glm::dvec3&)> exactDistance;
  // Inside and distance at once (negative inside), when one evaluation
  // gives both; optional.
  std::function<double(const glm::dvec3&)> signedDistance;
};

// A reference from a signed distance function (negative inside).
inline SolidReference referenceFromDistance(std::function<double(const glm::dvec3&)> sdf) {
  SolidReference r;
  r.inside = [sdf](const glm::dvec3& p) { return sdf(p) < 0; };
  r.distance = [sdf](const glm::dvec3& p) { return std::abs(sdf(p)); };
  r.signedDistance = sdf;
  r.crossing = [sdf](const glm::dvec3& a, const glm::dvec3& b) {
    double low = 0, high = 1;
    const bool startInside = sdf(a) < 0;
    for (int i = 0; i < 20; ++i) {  // a millionth of the edge
      const double middle = (low + high) / 2;
      ((sdf(a + (b - a) * middle) < 0) == startInside ? low : high) = middle;
    }
    return (low + high) / 2;
  };
  return r;
}

struct LatticeReport {
  uint64_t nodesChecked = 0, wrongNodes = 0, borderInside = 0;
  uint64_t copyBitsChecked = 0, wrongCopyBits = 0;
  uint64_t codesChecked = 0, wrongCodes = 0;
  uint64_t wrongCodesByAxis[3] = {0, 0, 0};
  double worstCodeError = 0;  // in cells
  std::string firstProblem;

  bool good() const { return wrongNodes == 0 && borderInside == 0 && wrongCodes == 0 && wrongCopyBits == 0; }
  std::string summary() const {
    std::ostringstream s;
    s << "nodes checked " << nodesChecked << ", wrong " << wrongNodes << ", border inside " << borderInside
      << "; copy bits checked " << copyBitsChecked << ", wrong " << wrongCopyBits
      << "; codes checked " << codesChecked << ", wrong " << wrongCodes << ", worst error " << worstCodeError * 128
      << "/128 cell (wrong by axis " << wrongCodesByAxis[0] << " " << wrongCodesByAxis[1] << " "
      << wrongCodesByAxis[2] << "); " << firstProblem;
    return s.str();
  }
};

// Every node farther than `margin` cells from the surface has the reference's
// inside state, the border layer is outside, and every crossing code on an
// edge whose end nodes both match the reference (and lie off the surface)
// is within codeTolerance cells of the reference crossing.
inline LatticeReport checkLattice(const LatticeImage& image, const SolidReference& reference, double margin = 1.0,
                                  double codeTolerance = 1.5 / 128) {
  LatticeReport report;
  const double h = image.frame.exactCellSize;
  const glm::uvec3 g = image.frame.nodes;
  auto note = [&](const std::string& text) {
    if (report.firstProblem.empty()) report.firstProblem = text;
  };
  auto name = [](const glm::uvec3& n) {
    std::ostringstream s;
    s << "(" << n.x << ", " << n.y << ", " << n.z << ")";
    return s.str();
  };
  // The reference at every node, once, when one evaluation answers both
  // questions.
  std::vector<double> signedAt;
  if (reference.signedDistance) {
    signedAt.resize(size_t(g.x) * g.y * g.z);
    image.forEachNode([&](const glm::uvec3& n) {
      signedAt[(size_t(n.x) * g.y + n.y) * g.z + n.z] = reference.signedDistance(image.world(n));
    });
  }
  auto at = [&](const glm::uvec3& n) { return signedAt[(size_t(n.x) * g.y + n.y) * g.z + n.z]; };
  auto referenceInside = [&](const glm::uvec3& n) {
    return signedAt.empty() ? reference.inside(image.world(n)) : at(n) < 0;
  };
  auto referenceDistance = [&](const glm::uvec3& n) {
    return signedAt.empty() ? reference.distance(image.world(n)) : std::abs(at(n));
  };
  image.forEachNode([&](const glm::uvec3& n) {
    const bool inside = image.inside(n);
    for (int k = 0; k < 3; ++k)
      if ((n[k] == 0 || n[k] == g[k] - 1) && inside) {
        ++report.borderInside;
        note("border node inside at " + name(n));
      }
    const glm::dvec3 p = image.world(n);
    if (referenceDistance(n) > margin * h) {
      ++report.nodesChecked;
      if (inside != referenceInside(n)) {
        ++report.wrongNodes;
        note("node " + name(n) + (inside ? " inside" : " outside"));
      }
    }
    for (int axis = 0; axis < 3; ++axis) {
      if (n[axis] + 1 >= g[axis]) continue;
      glm::uvec3 next = n;
      ++next[axis];
      if (inside == image.inside(next)) continue;
      const glm::dvec3 q = image.world(next);
      if (referenceInside(n) != inside || referenceInside(next) == inside) continue;
      if (reference.exactDistance ? reference.exactDistance(p) < 1e-3 * h || reference.exactDistance(q) < 1e-3 * h
                                  : referenceDistance(n) < 1e-3 * h || referenceDistance(next) < 1e-3 * h)
        continue;
      const double exact = reference.crossing(p, q);
      if (exact < 0) continue;
      ++report.codesChecked;
      const uint8_t code = image.code(n, axis);
      const bool directionRight = stock::CrossingCode::isEntering(code) == !inside;
      const double error = std::abs(stock::CrossingCode::fraction(code) / 128.0 - exact);
      if (!directionRight || error > codeTolerance) {
        ++report.wrongCodes;
        ++report.wrongCodesByAxis[axis];
        std::ostringstream s;
        s << "code " << int(code) << " on axis " << axis << " at " << name(n) << ", exact " << exact * 128 << "/128";
        note(s.str());
      } else {
        report.worstCodeError = std::max(report.worstCodeError, error);
      }
    }
  });
  return report;
}

// Each copy of the sign field on its own, for solids built exactly per ray:
// a node is inside its copy exactly when it is inside the solid, unless the
// surface lies within 1/128 cell of it (where the rounding of the crossing
// decides). The border layer is skipped.
inline void checkCopies(const LatticeImage& image, const SolidReference& reference, LatticeReport& report) {
  const stock::SignField field(image.frame);
  const glm::uvec3 g = image.frame.nodes;
  const double step = image.frame.exactCellSize / 128 * 1.01;
  image.forEachNode([&](const glm::uvec3& n) {
    if (glm::any(glm::equal(n, glm::uvec3(0))) || glm::any(glm::equal(n, g - 1u))) return;
    const glm::dvec3 p = image.world(n);
    if (reference.distance(p) < step) return;
    const bool inside = reference.inside(p);
    for (int axis = 0; axis < 3; ++axis) {
      ++report.copyBitsChecked;
      if (field.bitSet(image.signWords, axis, n.x, n.y, n.z) != inside) {
        ++report.wrongCopyBits;
        if (report.firstProblem.empty())
          report.firstProblem = "copy " + std::to_string(axis) + " wrong at (" + std::to_string(n.x) + ", " +
                                std::to_string(n.y) + ", " + std::to_string(n.z) + ")";
      }
    }
  });
}

}  // namespace testsupport
