#pragma once
// The job korvane-view runs without arguments: an 80 x 60 x 20 mm block
// (Z0 on top) with a pocket cleared by an 8 mm flat end mill, the outline
// contoured with arcs by a 6 mm flat end mill, and the pocket floor
// finished to a wave by a 6 mm ball end mill, as G-code text.
#include <string>

namespace host {

std::string defaultJobProgram();
// The tools it uses, in the tool file format.
std::string defaultJobTools();
inline constexpr double kDefaultStockMin[3] = {0, 0, -20};
inline constexpr double kDefaultStockMax[3] = {80, 60, 0};

}  // namespace host
