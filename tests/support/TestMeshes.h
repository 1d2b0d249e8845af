#pragma once
// Closed triangle meshes for tests, as triangle soups (nine floats per
// triangle, counter-clockwise seen from outside), and an exact inside test.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

namespace testsupport {

using Soup = std::vector<float>;

inline void addTriangle(Soup& soup, const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& c) {
  for (const glm::dvec3& p : {a, b, c})
    for (int k = 0; k < 3; ++k) soup.push_back(static_cast<float>(p[k]));
}

// An axis-aligned box, two triangles a face.
inline Soup boxMesh(const glm::dvec3& lo, const glm::dvec3& hi) {
  Soup soup;
  auto corner = [&](int i) { return glm::dvec3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z); };
  // Faces as corner quads, counter-clockwise seen from outside.
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : faces) {
    addTriangle(soup, corner(f[0]), corner(f[1]), corner(f[2]));
    addTriangle(soup, corner(f[0]), corner(f[2]), corner(f[3]));
  }
  return soup;
}

// An icosahedron subdivided `levels` times and pushed onto the sphere.
inline Soup sphereMesh(const glm::dvec3& centre, double radius, int levels) {
  const double t = (1 + std::sqrt(5.0)) / 2;
  std::vector<glm::dvec3> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                               {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  for (auto& p : v) p = glm::normalize(p);
  std::vector<std::array<int, 3>> faces = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11},
                                           {1, 5, 9}, {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                           {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8}, {3, 8, 9},
                                           {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
  for (int level = 0; level < levels; ++level) {
    std::map<std::pair<int, int>, int> middles;
    auto middle = [&](int a, int b) {
      auto key = std::minmax(a, b);
      auto it = middles.find(key);
      if (it != middles.end()) return it->second;
      v.push_back(glm::normalize(v[a] + v[b]));
      return middles[key] = static_cast<int>(v.size() - 1);
    };
    std::vector<std::array<int, 3>> finer;
    for (auto [a, b, c] : faces) {
      const int ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
      finer.insert(finer.end(), {{a, ab, ca}, {b, bc, ab}, {c, ca, bc}, {ab, bc, ca}});
    }
    faces = std::move(finer);
  }
  Soup soup;
  for (auto [a, b, c] : faces) addTriangle(soup, centre + radius * v[a], centre + radius * v[b], centre + radius * v[c]);
  return soup;
}

// A torus about the z axis: ring radius R, tube radius r.
inline Soup torusMesh(const glm::dvec3& centre, double R, double r, int around, int tube) {
  auto point = [&](int i, int j) {
    const double u = 2 * M_PI * i / around, w = 2 * M_PI * j / tube;
    return centre + glm::dvec3((R + r * std::cos(w)) * std::cos(u), (R + r * std::cos(w)) * std::sin(u), r * std::sin(w));
  };
  Soup soup;
  for (int i = 0; i < around; ++i)
    for (int j = 0; j < tube; ++j) {
      const glm::dvec3 a = point(i, j), b = point(i + 1, j), c = point(i + 1, j + 1), d = point(i, j + 1);
      addTriangle(soup, a, b, c);
      addTriangle(soup, a, c, d);
    }
  return soup;
}

// The boundary of a set of unit voxels (filled[x][y][z]), scaled by `size`
// and moved by `offset`: every face between a filled and an empty voxel.
template <int X, int Y, int Z>
Soup voxelMesh(const bool (&filled)[X][Y][Z], const glm::dvec3& offset, double size) {
  auto at = [&](int x, int y, int z) {
    return x >= 0 && y >= 0 && z >= 0 && x < X && y < Y && z < Z && filled[x][y][z];
  };
  Soup soup;
  for (int x = 0; x < X; ++x)
    for (int y = 0; y < Y; ++y)
      for (int z = 0; z < Z; ++z) {
        if (!filled[x][y][z]) continue;
        for (int axis = 0; axis < 3; ++axis)
          for (int side = 0; side < 2; ++side) {
            glm::ivec3 n(x, y, z);
            n[axis] += side ? 1 : -1;
            if (at(n.x, n.y, n.z)) continue;
            // The face's corners, ordered counter-clockwise seen from outside.
            const int u = (axis + 1) % 3, w = (axis + 2) % 3;
            glm::dvec3 base(x, y, z);
            base[axis] += side;
            glm::dvec3 du(0.0), dw(0.0);
            du[u] = 1;
            dw[w] = 1;
            if (!side) std::swap(du, dw);
            const glm::dvec3 a = offset + size * base, b = offset + size * (base + du),
                             c = offset + size * (base + du + dw), d = offset + size * (base + dw);
            addTriangle(soup, a, b, c);
            addTriangle(soup, a, c, d);
          }
      }
  return soup;
}

// Generalised winding number of a closed soup around p (about 1 inside, 0 outside).
inline double windingNumber(const Soup& soup, const glm::dvec3& p) {
  double total = 0;
  for (size_t i = 0; i + 8 < soup.size(); i += 9) {
    const glm::dvec3 a = glm::dvec3(soup[i], soup[i + 1], soup[i + 2]) - p;
    const glm::dvec3 b = glm::dvec3(soup[i + 3], soup[i + 4], soup[i + 5]) - p;
    const glm::dvec3 c = glm::dvec3(soup[i + 6], soup[i + 7], soup[i + 8]) - p;
    const double la = glm::length(a), lb = glm::length(b), lc = glm::length(c);
    const double numerator = glm::dot(a, glm::cross(b, c));
    const double denominator = la * lb * lc + glm::dot(a, b) * lc + glm::dot(b, c) * la + glm::dot(c, a) * lb;
    total += 2 * std::atan2(numerator, denominator);
  }
  return total / (4 * M_PI);
}

}  // namespace testsupport
