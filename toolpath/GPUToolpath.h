#pragma once
// The toolpath as the cut shaders read it: one 32-byte record per tool
// position, a move running from record k - 1 to record k. Arcs become chord
// records (kind 2) at the cut's chord tolerance; the first chord's record
// carries the continuation bit, and every chord record counts, in bits
// 8-31, the records back to the one where its arc began. A straight move
// that turns the tool axis becomes pieces of its own kind, each turning it
// by at most half a degree; an arc that turns it gets as many chords. Record 0 is the first move's end: the tool
// appears there, cutting nothing on its way.
#include <cstdint>
#include <vector>

#include "machine/Kinematics.h"
#include "toolpath/GPUMoveRecord.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

class Toolpath::GPUToolpath {
 public:
  // The tool axis at a point is the
  // kinematics' tool direction at the rotary axes there, turned by the tool
  // orientation in force (which works in the tool's frame, where +Y runs
  // from the tip into the holder).
  static GPUToolpath build(const Toolpath& toolpath, const machine::Kinematics& kinematics, double chordTolerance);

  const std::vector<toolpath::GPUMoveRecord>& records() const { return records_; }
  // Toolpath move i ends at record endRecordOf(i); record k belongs to move moveOfRecord(k).
  uint32_t endRecordOf(size_t move) const { return endRecord_[move]; }
  uint32_t moveOfRecord(size_t record) const { return moveOfRecord_[record]; }
  size_t moveCount() const { return endRecord_.size(); }
  // Sets the parameter of every record of move (a turning insert's side);
  // true when one changed. Turning moves whose records keep the spindle's
  // +Z as tool axis (a toolpath that gives no tool direction) get +X, the
  // insert pointing away from the work on the +X side.
  bool setParameter(size_t move, float value, bool turning = false);

 private:
  std::vector<toolpath::GPUMoveRecord> records_;
  std::vector<uint32_t> endRecord_;
  std::vector<uint32_t> moveOfRecord_;
  std::vector<bool> turnedAxes_;  // records whose +Z axis became +X for turning; empty for none
};

}  // namespace toolpath
