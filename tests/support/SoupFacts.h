#pragma once
// What a triangle soup read from an STL file encloses: whether it is closed
// (every edge, keyed by its end positions, used once each way), its volume
// and its box.
#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "formats/StlReader.h"

namespace testsupport {

struct SoupFacts {
  bool closed = true;
  double volume = 0;
  formats::StlVertex min{1e30f, 1e30f, 1e30f}, max{-1e30f, -1e30f, -1e30f};
};

inline SoupFacts factsOf(const formats::StlVertices& soup) {
  SoupFacts facts;
  using Key = std::tuple<float, float, float>;
  std::map<std::pair<Key, Key>, int> sides;
  auto key = [](const formats::StlVertex& v) { return Key{v.x, v.y, v.z}; };
  for (size_t t = 0; t + 2 < soup.size(); t += 3) {
    for (int k = 0; k < 3; ++k) ++sides[{key(soup[t + k]), key(soup[t + (k + 1) % 3])}];
    const glm::dvec3 a(soup[t].x, soup[t].y, soup[t].z), b(soup[t + 1].x, soup[t + 1].y, soup[t + 1].z),
        c(soup[t + 2].x, soup[t + 2].y, soup[t + 2].z);
    facts.volume += glm::dot(a, glm::cross(b, c)) / 6;
  }
  for (const formats::StlVertex& v : soup) {
    facts.min = {std::min(facts.min.x, v.x), std::min(facts.min.y, v.y), std::min(facts.min.z, v.z)};
    facts.max = {std::max(facts.max.x, v.x), std::max(facts.max.y, v.y), std::max(facts.max.z, v.z)};
  }
  for (const auto& [side, count] : sides) {
    const auto back = sides.find({side.second, side.first});
    if (count != 1 || back == sides.end() || back->second != 1) facts.closed = false;
  }
  return facts;
}

}  // namespace testsupport
