#pragma once
// The toolpath as every stock of a view cuts it, made once for one toolpath
// snapshot and one chord tolerance: the move stream, sent to the GPU once and
// shared by all stocks, and the tool of every move, which a new tool table
// changes without touching the stream.
#include <cstdint>
#include <memory>
#include <vector>

#include "machine/Kinematics.h"
#include "stock/MoveStream.h"
#include "stock/StockCollisionCheck.h"
#include "toolpath/GPUToolpath.h"
#include "toolpath/Toolpath.h"
#include "tools/ToolTable.h"

namespace stock {

// The tool of every move: from the toolpath's tool changes and the table.
struct ToolAssignment {
  std::vector<int32_t> toolOfMove;           // -1: no tool (nothing is cut)
  std::vector<tools::CutRecord> cutRecords;  // per tool of the table
  std::vector<uint32_t> colours;             // owner code per tool, 2 ... 255
  std::vector<CheckedParts> parts;           // per tool: its non-cutting parts
  // Cut faces coloured by operation: the owner code of every move's
  // operation, 2 ... 255 (empty: by tool).
  std::vector<uint32_t> operationOwners;

  // The owner code a cut of move with tool leaves.
  uint32_t ownerOf(size_t move, int32_t tool) const {
    return move < operationOwners.size() ? operationOwners[move] : colours[static_cast<size_t>(tool)];
  }

  static ToolAssignment build(const toolpath::Toolpath& toolpath, const tools::ToolTable& table,
                              bool ownersByOperation = false);
};

class CutPath {
 public:
  // Render thread (it sends the stream); the table under its lock.
  // toolsVersion and precisionVersion tell which table and which applied
  // tolerance it was made with.
  CutPath(std::shared_ptr<const toolpath::Toolpath> toolpath, double chordTolerance, uint64_t precisionVersion,
          const machine::Kinematics& kinematics, const tools::ToolTable& table, uint64_t toolsVersion,
          bool ownersByOperation = false);
  CutPath(const CutPath&) = delete;
  CutPath& operator=(const CutPath&) = delete;

  // The tools of another table for the same moves.
  void retool(const tools::ToolTable& table, uint64_t toolsVersion);

  const std::shared_ptr<const toolpath::Toolpath>& snapshot() const { return toolpath_; }
  uint64_t precisionVersion() const { return precisionVersion_; }
  double chordTolerance() const { return chordTolerance_; }
  uint64_t toolsVersion() const { return toolsVersion_; }
  bool ownersByOperation() const { return ownersByOperation_; }
  // Changes with every cut path made and every retool, process-wide: a
  // stock cut with another serial holds cuts of other moves or tools.
  uint64_t serial() const { return serial_; }

  const toolpath::Toolpath& toolpath() const { return *toolpath_; }
  const toolpath::Toolpath::GPUToolpath& moves() const { return moves_; }
  const ToolAssignment& tools() const { return tools_; }
  const MoveStream& stream() const { return stream_; }

 private:
  static uint64_t nextSerial();
  // The records of every move carry its tool's move parameter (a turning
  // insert's side); true when one changed.
  bool applyMoveParameters();

  std::shared_ptr<const toolpath::Toolpath> toolpath_;
  double chordTolerance_;
  uint64_t precisionVersion_ = 0, toolsVersion_ = 0, serial_ = 0;
  bool ownersByOperation_ = false;
  toolpath::Toolpath::GPUToolpath moves_;
  ToolAssignment tools_;
  MoveStream stream_;
};

}  // namespace stock
