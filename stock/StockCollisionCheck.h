#pragma once
// The stock check of a tool's non-cutting parts (shoulder, shaft, holder)
// on the GPU, run with the cut: each part is swept along the moves the cut
// just took and tested against what the stock still holds, in three passes
// per part: its convex hull, its wider profile (the holder's proximity
// clearance), its own profile. Each pass only takes the moves the one
// before flagged; the last records the moves hit and where along them.
//
// Parts whose profile is not turned about the tool's axis (kinds 9 and 11)
// and turning holders are not checked here; the tool's extra profile is no
// part (its slot stays unused).
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "gpu/CollisionShaders.h"
#include "gpu/SSBO.h"
#include "gpu/UniformBuffer.h"
#include "tools/CutRecords.h"
#include "tools/PartHull.h"

namespace stock {

inline constexpr uint32_t kCheckedSlots = 3;  // slot s: purpose s + 1

struct CheckedPart {
  bool valid = false;
  tools::CutRecord record;
  tools::PartHull hull;  // of the wider profile
};
using CheckedParts = std::array<CheckedPart, kCheckedSlots>;

// The parts of a tool the check can sweep.
CheckedParts checkedParts(const tools::ToolCutRecords& records);

// A move record whose parts met material.
struct RecordHit {
  uint32_t record = 0;
  uint32_t slots = 0;      // bit s: the part of slot s
  float from = 0, to = 0;  // where along the record's move (0 ... 1)
};

class StockCollisionCheck {
 public:
  StockCollisionCheck();
  ~StockCollisionCheck();
  StockCollisionCheck(const StockCollisionCheck&) = delete;
  StockCollisionCheck& operator=(const StockCollisionCheck&) = delete;

  // The passes of a part in order: 0, 1 (only for a part with a wider
  // clearance than its own) and 2.
  static std::vector<uint32_t> passesOf(const CheckedPart& part);
  // Render thread. Binds the program of part's pass (0, 1, 2) with its
  // profile and uniforms, to check the moves the pass `after` flagged
  // (GPU_COLLISION_NO_MODE: every move); null when it has none.
  const gpu::BaseCollisionShader* bind(const CheckedPart& part, uint32_t slot, uint32_t mode, uint32_t after);
  // Binds the three fields (sized for records first).
  void bindFields(size_t records);
  // Per record of [firstEnd, endEnd): whether pass mode (0 or 1) flagged
  // slot's part there. Waits for the GPU.
  std::vector<uint8_t> flagged(uint32_t firstEnd, uint32_t endEnd, uint32_t slot, uint32_t mode);
  // [firstEnd, endEnd) was checked: its results are read with the next hits().
  void noteChecked(uint32_t firstEnd, uint32_t endEnd);
  // Every record hit since the last clear, in record order; reads what was
  // checked since the last call (waits for the GPU then).
  const std::vector<RecordHit>& hits();
  void clear();
  void release();

 private:
  void size(size_t records);
  gpu::BaseCollisionShader& program(int which);

  std::array<std::unique_ptr<gpu::BaseCollisionShader>, 4> programs_;
  std::optional<gpu::UniformBuffer> hullBlock_, profileBlock_;
  std::optional<gpu::SSBO> filter_, results_, ranges_;
  size_t records_ = 0;
  uint32_t unreadFirst_ = UINT32_MAX, unreadEnd_ = 0;
  std::vector<uint32_t> resultWords_;
  std::vector<RecordHit> hits_;
};

}  // namespace stock
