#pragma once
// The toolpath of one view as the host handed it over, plus what the view
// derives from it: cumulative length and time per move, arcs, and the
// mapping between moves, NC lines, entities, operations and tools. Everything
// that plays, draws, cuts or checks the toolpath asks this object.
//
// A toolpath is a value that never changes once it is shared: a view
// publishes each one as a snapshot (toolpath/PublishedToolpath.h), and tool
// orientations, compensation and operation visibility give new snapshots.
// Copies are cheap: the host's arrays are shared between them.
#include <array>
#include <cfloat>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <glm/vec3.hpp>

#include "korvane/Korvane.h"
#include "common/PopulatedAllocator.h"
#include "formats/ToolpathRecordCopy.h"
#include "toolpath/ArcGeometry.h"
#include "toolpath/MoveEvents.h"
#include "toolpath/SubprogramLineMap.h"
#include "toolpath/ValuePalette.h"

namespace machine {
class Kinematics;
}

namespace toolpath {

using ToolpathMove = SIM_ToolpathMove;
using OperationRange = SIM_OperationRange;
using Mat3 = std::array<double, 9>;  // row by row
inline constexpr Mat3 kIdentity3 = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// Move type 0 is called NoMotion here because X11 headers define None.
enum MoveType : uint32_t { NoMotion = 0, Rapid = 1, Linear = 2, ArcCW = 3, ArcCCW = 4 };
constexpr bool isCutting(uint32_t type) { return type == Linear || type == ArcCW || type == ArcCCW; }
constexpr bool isArc(uint32_t type) { return type == ArcCW || type == ArcCCW; }

inline constexpr double kDefaultFeed = 1000.0;
inline constexpr double kDefaultSpindleSpeed = 3000.0;

struct NamedMove {
  uint64_t nameHash = 0;  // FNV-1a of the tool name
  uint32_t move = 0;
};

struct OrientationEntry {
  uint64_t move = 0;
  Mat3 rotation = kIdentity3;
};

struct CompensationChange {
  uint32_t firstMove = 0;
  glm::vec3 offset{0.0f};  // tool coordinates
};

struct Box {
  glm::dvec3 min{DBL_MAX};
  glm::dvec3 max{-DBL_MAX};
  void add(const glm::dvec3& p);
  void add(const Box& other);
  bool empty() const { return min.x > max.x; }
};

enum class Measure { Length, Time };

// Where a playback fraction falls: the move, the one before it, how far
// along the move, its flags, and how far the rotary axes turn over the move.
struct PositionAtFraction {
  int64_t move = -1;
  int64_t previous = -1;
  double fraction = 0.0;
  uint16_t flags = 0;
  glm::dvec3 axesDelta{0.0};
};

// The tool table's side of tool orientations.
class ToolOrientationSource {
 public:
  virtual ~ToolOrientationSource() = default;
  virtual bool anyToolHasOrientation() const = 0;
  // The orientation of the tool whose name hashes to toolNameHash, when that
  // tool exists and carries one.
  virtual std::optional<Mat3> orientationOf(uint64_t toolNameHash) const = 0;
};

class Toolpath {
 public:
  // The toolpath as the cut shaders read it (GPUToolpath.h).
  class GPUToolpath;

  // An empty toolpath.
  Toolpath();
  // Everything from the host's record, and what derives from it. Throws
  // std::bad_alloc or std::length_error for counts no memory holds.
  static Toolpath fromRecord(const SIM_ToolpathRecord& record);
  // The record the host handed over, every array as it came.
  formats::ToolpathRecordCopy hostRecord() const;

  // ---- New snapshots made from this one.
  // The orientation list rebuilt from the tool changes and the tools'
  // orientations; an applied compensation is then due again.
  Toolpath withOrientationsOf(const ToolOrientationSource& tools) const;
  // Each move's compensation offset (tool coordinates, turned into world
  // space at the move) added to its end point and arc centre of the host's
  // moves.
  Toolpath withCompensation(const machine::Kinematics& kinematics) const;
  // None when the index is out of range or the bit is already so.
  std::optional<Toolpath> withOperationVisible(uint32_t index, bool visible) const {
    return withOperationsVisible(index, index + 1, visible);
  }
  // The same for operations first to end - 1 at once; nothing when none of
  // them exists or changes.
  std::optional<Toolpath> withOperationsVisible(uint32_t first, uint32_t end, bool visible) const;

  // ---- Moves and per-move values. Indexes are clamped to the last move;
  // negative indexes and an empty toolpath give zero values.
  size_t moveCount() const { return moves_->size(); }
  ToolpathMove move(int64_t index) const;
  // Start of a move: the previous move's end as stored in single precision.
  glm::dvec3 startOf(int64_t index) const;
  ArcGeometry arcOf(int64_t index) const;  // invalid for moves that are not arcs
  // The tool tip part way (fraction 0 to 1) along a move: on its arc, or on
  // the straight line from its start; move 0 stands at its end.
  glm::dvec3 pointAt(int64_t index, double fraction) const;
  uint32_t lineOf(int64_t index) const;
  uint32_t entityOf(int64_t index) const;
  double feedOf(int64_t index) const;     // 0 out of range
  double spindleOf(int64_t index) const;  // 0 out of range
  uint16_t flagsOf(int64_t index) const;
  glm::dvec3 extraAxesOf(int64_t index) const;
  bool hasExtraAxes() const { return !host_->extraAxes.empty(); }
  bool feedsFromHost() const { return host_->feedsFromHost; }
  bool spindleSpeedsFromHost() const { return host_->spindlesFromHost; }
  bool cumulativeValid() const { return host_->cumulativeValid; }

  double totalLength() const;
  double totalTime() const;
  double cumulativeLength(int64_t index) const;
  double cumulativeTime(int64_t index) const;

  // ---- Lookups
  // Move at a fraction of the total length or time; -1 when empty.
  int64_t moveAtFraction(double fraction, Measure measure) const;
  // How far along move the fraction lies, in [0, 1].
  double fractionWithinMove(int64_t move, double fraction, Measure measure) const;
  double timeFractionOfMove(int64_t move) const;
  double lengthFractionOfMove(int64_t move) const;
  PositionAtFraction positionAt(double fraction, Measure measure) const;
  // Index of the operation playing at move and time fraction; the operation
  // count when none; 0 without operations.
  uint32_t operationAt(int64_t move, double timeFraction) const;
  // The first later move that adds length (or time); the last move if none.
  int64_t nextMoveWithExtent(int64_t move, Measure measure) const;
  // The last move of the run of moves on line (on the line before it when
  // no move carries it); 0 when empty.
  int64_t lastMoveOfLine(uint32_t line) const;
  // The last move of the run of moves of entity; 0 when no move carries it.
  int64_t lastMoveOfEntity(uint32_t entity) const;

  // ---- Operations
  size_t operationCount() const { return host_->operations.size(); }
  OperationRange operation(size_t index) const;
  bool operationVisible(size_t index) const;

  // ---- Tables
  const std::vector<NamedMove>& toolChanges() const { return host_->toolChanges; }
  const std::vector<OrientationEntry>& orientations() const { return *orientations_; }
  Mat3 orientationAt(int64_t move) const;  // identity when none holds
  std::vector<MoveEvent> eventsOfCategory(int category) const;
  std::vector<MoveEvent> eventsNamed(uint64_t nameHash) const;
  std::vector<uint32_t> eventMoves() const;
  const std::vector<uint32_t>& values() const { return host_->values; }
  const std::vector<SIM_ToolpathInfoRecord>& infoRecords() const { return host_->infoRecords; }
  std::vector<SIM_ToolpathTextRecord> textRecords(int list) const;  // lists 0..3
  const std::vector<CompensationChange>& compensationChanges() const { return host_->compensations; }
  FileLine fileLineOf(uint32_t globalLine) const { return host_->lineMap.lookup(globalLine); }
  uint8_t paletteIndexesOf(int64_t move) const;  // (A << 4) | B
  double paletteValue(bool paletteB, uint8_t slot) const;
  uint16_t paletteSummary() const { return host_->palettes.summary; }
  Box bounds() const { return host_->bounds; }                // every move
  Box cuttingBounds() const { return host_->cuttingBounds; }  // feed moves
  uint16_t flagUnion() const { return host_->flagUnion; }     // OR of every move's flags
  // Largest |X| over the non-rapid moves with flag bit 0 (the turned radius).
  double maxTurningRadius() const { return host_->maxTurningRadius; }

  // ---- Cutter compensation
  bool compensationApplied() const { return appliedOffsets_ != nullptr; }
  // The compensation was made with the orientations in force.
  bool compensationCurrent() const { return compensationCurrent_; }
  glm::vec3 appliedOffsetOf(int64_t move) const;

 private:
  using Moves = common::MoveArray<ToolpathMove>;
  // What a load makes and every snapshot made from it shares.
  struct HostData {
    Moves moves;  // as the host gave them
    common::MoveArray<uint32_t> entities, lines;
    common::MoveArray<double> feeds, spindles;
    common::MoveArray<double> cumLength, cumTime;
    common::MoveArray<uint16_t> flags;
    common::MoveArray<double> extraAxes;  // three per move, only when given
    bool feedsFromHost = false;
    bool spindlesFromHost = false;
    bool cumulativeValid = false;

    std::vector<OperationRange> operations;
    std::vector<NamedMove> toolChanges;
    std::vector<SIM_ToolpathInfoRecord> infoRecords;
    std::array<std::vector<SIM_ToolpathTextRecord>, 4> textRecords;
    MoveEvents events;
    std::vector<uint32_t> values;
    std::vector<CompensationChange> compensations;
    SubprogramLineMap lineMap;
    PaletteIndexes palettes;
    Box bounds, cuttingBounds;
    uint16_t flagUnion = 0;
    double maxTurningRadius = 0.0;
    // What the host record holds that the view keeps in its own terms
    // (names as hashes, sorted lists): its lists as they came, and the
    // types of the moves that tool changes made motionless.
    formats::ToolpathRecordCopy hostLists;
    std::vector<std::pair<uint32_t, uint32_t>> typesAtToolChanges;
  };
  static void fill(HostData& d, std::vector<OrientationEntry>& orientations, const SIM_ToolpathRecord& record);
  static void computeDerived(HostData& d, bool lengthsGiven, bool timesGiven);

  size_t clampIndex(int64_t index) const;
  int64_t moveAtCumulative(const common::MoveArray<double>& cumulative, double value) const;
  const common::MoveArray<double>& cumulative(Measure measure) const;
  const ToolpathMove& at(size_t index) const { return (*moves_)[index]; }

  std::shared_ptr<const HostData> host_;
  // The host's moves, or the compensated ones.
  std::shared_ptr<const Moves> moves_;
  std::shared_ptr<const std::vector<OrientationEntry>> orientations_;
  std::shared_ptr<const std::vector<bool>> operationVisible_;
  // World space, one per move while a compensation is applied.
  std::shared_ptr<const std::vector<glm::vec3>> appliedOffsets_;
  bool compensationCurrent_ = false;
};

}  // namespace toolpath
