#pragma once
// The toolpath as every stock of a view cuts it, made once for one toolpath
// snapshot, one tool table and one chord tolerance: the move stream, sent to
// the GPU once and shared by all stocks, and the tool of every move.
#include <cstdint>
#include <memory>
#include <vector>

#include "machine/Kinematics.h"
#include "stock/MoveStream.h"
#include "toolpath/GPUToolpath.h"
#include "toolpath/Toolpath.h"
#include "tools/ToolTable.h"

namespace stock {

// The tool of every move: from the toolpath's tool changes and the table.
struct ToolAssignment {
  std::vector<int32_t> toolOfMove;           // -1: no tool (nothing is cut)
  std::vector<tools::CutRecord> cutRecords;  // per tool of the table
  std::vector<uint32_t> colours;             // owner code per tool, 2 ... 255

  static ToolAssignment build(const toolpath::Toolpath& toolpath, const tools::ToolTable& table);
};

class CutPath {
 public:
  // What a cut path is made from.
  struct Inputs {
    std::shared_ptr<const toolpath::Toolpath> toolpath;
    uint64_t toolsVersion = 0;  // counts the changes of the tool table
    double chordTolerance = 0.01;
    bool operator==(const Inputs&) const = default;
  };

  // Render thread (it sends the stream); the table under its lock.
  CutPath(Inputs inputs, const machine::Kinematics& kinematics, const tools::ToolTable& table);
  CutPath(const CutPath&) = delete;
  CutPath& operator=(const CutPath&) = delete;

  const Inputs& inputs() const { return inputs_; }
  const toolpath::Toolpath& toolpath() const { return *inputs_.toolpath; }
  const toolpath::Toolpath::GPUToolpath& moves() const { return moves_; }
  const ToolAssignment& tools() const { return tools_; }
  const MoveStream& stream() const { return stream_; }

 private:
  Inputs inputs_;
  toolpath::Toolpath::GPUToolpath moves_;
  ToolAssignment tools_;
  MoveStream stream_;
};

}  // namespace stock
