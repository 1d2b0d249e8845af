#pragma once
// A stock and a named geometry as the host defined them, in the view's own
// terms: lengths in millimetres, texts and arrays owned. The exports convert
// the host's records into these and back; the records a host hands over are
// kept as they came only for the values the view itself never reads.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "korvane/Korvane.h"

namespace stock {

enum class StockKind : uint32_t { Cylinder = SIM_STOCK_CYLINDER, Box = SIM_STOCK_BOX, Mesh = SIM_STOCK_MESH };
enum class StockPrecision : uint32_t {
  Quality = SIM_STOCK_PRECISION_QUALITY,
  Level = SIM_STOCK_PRECISION_LEVEL,
  Tolerance = SIM_STOCK_PRECISION_TOLERANCE,
};

struct StockDefinition {
  uint32_t identifier = 0;
  StockKind kind = StockKind::Box;
  glm::dvec3 boxMin{0.0}, boxMax{0.0};  // in the stock's own frame
  glm::dvec3 cylinderBase{0.0};         // centre of the first end face
  uint32_t cylinderAxis = 2;            // 0 X, 1 Y, 2 Z in the stock's own frame
  double cylinderLength = 0;            // negative runs the other way
  double outerDiameter = 0, boreDiameter = 0;
  // Own frame to world, 3 x 4 row by row with the translation in
  // millimetres; all zero stands for the identity.
  std::array<double, 12> placement{};
  std::string meshGeometry;  // mesh stocks: a geometry's name
  std::string meshPath;      // mesh stocks without one: an STL file
  double meshPathScale = 1;  // millimetres per unit of that file (the host's unit)
  bool limitToBox = false;
  StockPrecision precision = StockPrecision::Quality;
  double quality = 0.5;  // 0 ... 1; a cell length in millimetres in tolerance mode
  uint32_t level = 2;
  uint8_t refine = 2;    // 0 off, 1 on, 2 the view's own setting
  glm::vec3 colour{0.176f};
  bool visible = true;
  // The rest of the host's record: what the view does not read (version,
  // reserved bytes), handed back by the getters as it came. Every value
  // this definition holds in its own terms is zero here.
  SIM_StockRecord given{};

  // The placement as a matrix.
  glm::dmat4 placementMatrix() const;
};

struct Geometry {
  std::string name;
  uint64_t nameHash = 0;  // FNV-1a of the name
  uint64_t role = SIM_GEOMETRY_OTHER;
  std::string modelPath;
  glm::dvec3 origin{0.0};                 // millimetres
  std::array<float, 9> rotation{};        // row by row; all zero: none
  float scale = 0.0f;                     // 0 counts as 1
  std::vector<float> vertices;            // millimetres, whole triangles
  bool selected = false;
  SIM_GeometryRecord given{};             // the rest of the host's record, as for stocks

  // The map of the model's frame to the world: scale, then the rotation,
  // then the origin.
  glm::dmat4 placement() const;
  // The model's whole triangles (nine floats each): its own, else those of
  // its STL file, read now; none when neither gives any.
  std::vector<float> triangleSoup() const;
};

}  // namespace stock
