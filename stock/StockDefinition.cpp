#include "stock/StockDefinition.h"

#include <algorithm>

#include <glm/gtc/matrix_transform.hpp>

#include "formats/StlReader.h"

namespace stock {

glm::dmat4 StockDefinition::placementMatrix() const {
  glm::dmat4 m(1.0);
  if (std::all_of(placement.begin(), placement.end(), [](double v) { return v == 0.0; })) return m;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 4; ++column) m[column][row] = placement[4 * row + column];
  return m;
}

glm::dmat4 Geometry::placement() const {
  glm::dmat4 turn(1.0);
  if (!std::all_of(rotation.begin(), rotation.end(), [](float v) { return v == 0.0f; }))
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) turn[column][row] = rotation[3 * row + column];
  const double factor = scale == 0.0f ? 1.0 : scale;
  return glm::translate(glm::dmat4(1.0), origin) * turn * glm::scale(glm::dmat4(1.0), glm::dvec3(factor));
}

std::vector<float> Geometry::triangleSoup() const {
  if (!vertices.empty() || modelPath.empty()) return vertices;
  const formats::StlVertices stl = formats::readStl(modelPath);
  std::vector<float> soup;
  soup.reserve(stl.size() * 3);
  for (const formats::StlVertex& v : stl) soup.insert(soup.end(), {v.x, v.y, v.z});
  return soup;
}

}  // namespace stock
