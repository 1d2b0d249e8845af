#pragma once
// The records the sample host hands to the view for a G-code program: the
// toolpath with its NC lines and tool changes, and a stock box.
#include <cstdint>
#include <string>
#include <vector>

#include <korvane/Korvane.h>

#include "GCodeReader.h"

namespace host {

// Rapid moves are timed at this feed (mm/min); the program gives none.
inline constexpr double kRapidFeed = 5000.0;

struct ToolpathArrays {
  std::vector<SIM_ToolpathMove> moves;
  std::vector<uint32_t> lines;  // NC line of each move, from 1; 0 for the start
  std::vector<double> feeds, spindles;
  std::vector<uint16_t> flags;  // a lathe program's: its moves turn
  std::vector<SIM_NamedMove> toolChanges;
  std::vector<SIM_OperationRange> operations;
  std::vector<SIM_MoveEvent> events;  // M1's optional stops

  // Points into these arrays.
  SIM_ToolpathRecord record() const;
};

// Move 0 stands at the program's start; each tool change gets a move of
// its own that goes nowhere (the view makes it one), named "T<n>". A lathe
// program's moves are flagged as turning moves. The
// program has no operations of its own: each tool's run is one, numbered
// from 1 (the moves before the first change belong to the first).
ToolpathArrays toolpathOf(const Program& program);

struct StockBox {
  Point min, max;
};

// A box around the feed moves: in x and y their extent plus the largest
// tool radius; in z from 1 mm below the deepest cut up to Z0 when the
// program cuts below Z0 and retracts above it (the usual "Z0 on top of the
// stock"), else to the highest cutting point. None without feed moves.
bool stockAround(const Program& program, double toolRadius, StockBox& box);

// A bar along Z for a lathe program, its axis on X0 Y0: the front face at
// the highest feed move, reaching 5 mm past the lowest one (where the
// chuck would hold it); its diameter twice the largest |X| the feed moves
// reach (arcs by their bulge). None without feed moves.
struct BarStock {
  double diameter = 0;
  double front = 0;   // Z of the front face
  double length = 0;  // towards -Z
};
bool barAround(const Program& program, BarStock& bar);

}  // namespace host
