#include "stock/MillCut.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "common/SweepBox.h"
#include "gpu/Dispatch.h"

namespace stock {

namespace {

using toolpath::GPUMoveRecord;

glm::dvec3 positionOf(const GPUMoveRecord& r) { return {r.x, r.y, r.z}; }
glm::dvec3 axisOf(const GPUMoveRecord& r) { return {r.i, r.j, r.k}; }

uint32_t chunksOf(uint64_t rays, uint32_t raysPerChunk) {
  return static_cast<uint32_t>((rays + raysPerChunk - 1) / raysPerChunk);
}

using RayCount = uint64_t (*)(const GridFrame&, const glm::dvec3&, const glm::dvec3&, const glm::dvec3&, double,
                               double, double);

// The chunks of each move of [firstEnd, endEnd), in order.
std::vector<uint32_t> moveChunks(const GridFrame& frame, std::span<const GPUMoveRecord> records, uint32_t firstEnd,
                                 uint32_t endEnd, const ToolReach& reach, uint32_t raysPerChunk,
                                 RayCount rays = sweepRays) {
  std::vector<uint32_t> chunks;
  chunks.reserve(endEnd - firstEnd);
  for (uint32_t k = firstEnd; k < endEnd; ++k) {
    // A record that starts an arc's chords moves with its end's axis.
    const bool arcStart = (records[k - 1].type & toolpath::kShaderTypeBits) == GPU_MOVE_ARC_START;
    const glm::dvec3 startAxis = arcStart ? axisOf(records[k]) : axisOf(records[k - 1]);
    chunks.push_back(chunksOf(rays(frame, positionOf(records[k - 1]), positionOf(records[k]),
                                   startAxis + axisOf(records[k]), reach.radius, reach.top, reach.bottom),
                              raysPerChunk));
  }
  return chunks;
}

// The two records a partial move runs between.
std::pair<GPUMoveRecord, GPUMoveRecord> recordsOf(const PartialMove& move) {
  const GPUMoveRecord from{move.start.x, move.start.y, move.start.z, move.axisFrom.x, move.axisFrom.y,
                           move.axisFrom.z, move.parameter, move.type};
  const GPUMoveRecord to{move.end.x, move.end.y, move.end.z, move.axisTo.x, move.axisTo.y,
                         move.axisTo.z, move.parameter, move.type};
  return {from, to};
}

// One node more on every side: a cut also writes the codes and owners of
// the nodes just past its interval.
NodeBox widened(const NodeBox& box, const glm::uvec3& nodes) {
  return {glm::max(box.low, 1u) - 1u, glm::min(box.high + 1u, nodes - 1u)};
}

}  // namespace

std::optional<NodeBox> sweepNodes(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end,
                                  const glm::dvec3& axis, double radius, double length, double bottom) {
  const double scale = 1.0 / frame.exactCellSize;
  const glm::dvec3 a = glm::length(axis) > 0 ? glm::normalize(axis) : glm::dvec3(0, 0, 1);
  const contract::SweepBox box =
      contract::sweepBoxOf(glm::vec3(frame.toGrid(start)), glm::vec3(frame.toGrid(end)), glm::vec3(a),
                           static_cast<float>(radius * scale), static_cast<float>(bottom * scale),
                           static_cast<float>(length * scale), HOST_SWEEP_PLUNGE_LIMIT);
  // One cell more on every side than the shaders' own box: the two round
  // differently.
  glm::dvec3 lo = glm::dvec3(box.lo) - 1.0, hi = glm::dvec3(box.hi) + 1.0;
  const glm::dvec3 last = glm::dvec3(frame.nodes) - 1.0;
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(lo[k]) || !std::isfinite(hi[k])) return std::nullopt;  // a move to nowhere cuts nothing
  if (glm::any(glm::lessThan(hi, glm::dvec3(0.0))) || glm::any(glm::greaterThan(lo, last))) return std::nullopt;
  return NodeBox{glm::uvec3(glm::clamp(glm::floor(lo), glm::dvec3(0.0), last)),
                 glm::uvec3(glm::clamp(glm::ceil(hi), glm::dvec3(0.0), last))};
}

uint64_t sweepRays(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end, const glm::dvec3& axis,
                   double radius, double length, double bottom) {
  const std::optional<NodeBox> box = sweepNodes(frame, start, end, axis, radius, length, bottom);
  if (!box) return 0;
  const glm::u64vec3 n = glm::u64vec3(box->high - box->low) + uint64_t{1};
  return n.y * n.z + n.x * n.z + n.x * n.y;
}

uint64_t sweepRaysOneWay(const GridFrame& frame, const glm::dvec3& start, const glm::dvec3& end,
                         const glm::dvec3& axis, double radius, double length, double bottom) {
  const std::optional<NodeBox> box = sweepNodes(frame, start, end, axis, radius, length, bottom);
  if (!box) return 0;
  const glm::u64vec3 n = glm::u64vec3(box->high - box->low) + uint64_t{1};
  return std::min({n.y * n.z, n.x * n.z, n.x * n.y});
}

void MillCut::clearReport() {
  unreadFirst_ = UINT32_MAX;
  unreadEnd_ = 0;
  reported_.clear();
  reportWords_.clear();
  if (reportBits_) reportBits_->fill(0u);
  collisions_.clear();
}

void MillCut::undoPartial(StockGrid& grid) { partialUndo_.restore(grid); }

void MillCut::holdForUndo(StockGrid& grid, const PartialMove& move, const tools::CutRecord& tool) {
  if (!tool.valid || !grid.buffersReady()) return;
  if (isTurningShape(tool.shape)) {
    // A turning cut reaches round the whole work at the layers it passes.
    const auto [from, to] = recordsOf(move);
    const GridFrame& frame = grid.frame();
    if (const std::optional<LayerRange> layers = turningLayers(frame, from, to, tool))
      partialUndo_.save(grid, widened(NodeBox{{0, 0, layers->first}, {frame.nodes.x - 1, frame.nodes.y - 1, layers->last}},
                                      frame.nodes));
    return;
  }
  const ToolReach reach = reachOf(tool);
  const std::optional<NodeBox> box = sweepNodes(grid.frame(), move.start, move.end,
                                                glm::dvec3(move.axisFrom + move.axisTo), reach.radius, reach.top,
                                                reach.bottom);
  if (box) partialUndo_.save(grid, widened(*box, grid.frame().nodes));
}

void MillCut::release() {
  partialUndo_.release();
  turning_.release();
  collisions_.release();
  chunkIndex_.reset();
  reportBits_.reset();
  profileBlock_.reset();
  indexWrittenFrom_ = indexWrittenTo_ = 0;
  unreadFirst_ = UINT32_MAX;
  unreadEnd_ = 0;
  reportWords_.clear();
  reported_.clear();
}

void MillCut::sizeReport(size_t records) {
  const uint64_t bytes = std::max<uint64_t>((records + 31) / 32 * 4, 16);
  if (!reportBits_) reportBits_.emplace(bytes, 0u);
  const uint64_t had = reportBits_->size();
  if (had < bytes) {
    reportBits_->growPreserving(bytes);
    reportBits_->fill(0u, had / 4, (bytes - had) / 4);
  }
  reportWords_.resize((records + 31) / 32, 0u);
}

const gpu::BaseToolShader* MillCut::bindTool(const tools::CutRecord& tool, uint32_t colourIndex) {
  if (MillPrograms::usesProfileBlock(tool)) {
    if (!profileBlock_) profileBlock_.emplace();
    profileBlock_->update(tool.profile);
    profileBlock_->bindBase(GPU_PROFILE_BLOCK_BINDING);
  }
  return programs_.bind(tool, colourIndex);
}

MillCut::RangeIndex MillCut::writeIndex(const std::vector<uint32_t>& chunks, uint32_t chunksFrom, uint32_t firstEnd,
                                        uint32_t endEnd, size_t streamSize) {
  assert(firstEnd >= 1 && firstEnd <= endEnd && endEnd <= streamSize);
  const uint64_t entriesBytes = (uint64_t{streamSize} + 1) * 4;
  if (!chunkIndex_ || chunkIndex_->size() < entriesBytes) {
    chunkIndex_.emplace(entriesBytes, 0u);
    indexWrittenFrom_ = indexWrittenTo_ = 0;
  }
  // What the last cut wrote goes back to 0, so that the entries before this
  // range never exceed its first.
  if (indexWrittenTo_ > indexWrittenFrom_)
    chunkIndex_->fill(0u, indexWrittenFrom_, indexWrittenTo_ - indexWrittenFrom_);
  std::vector<uint32_t> entries;
  entries.reserve(endEnd - firstEnd + 1);
  uint32_t total = 0;
  for (uint32_t k = firstEnd; k < endEnd; ++k) {
    entries.push_back(total);
    total += chunks[k - chunksFrom];
  }
  entries.push_back(total);
  chunkIndex_->upload(entries.data(), entries.size() * 4, uint64_t{firstEnd} * 4);
  indexWrittenFrom_ = firstEnd;
  indexWrittenTo_ = endEnd + 1;
  RangeIndex range;
  range.endChunk = total;
  range.elementCount = endEnd + 1;
  return range;
}

void MillCut::setCommonUniforms(const gpu::BaseToolShader& program, const StockGrid& grid, const RangeIndex& range,
                                const CutSwitches& switches, const std::optional<PartialMove>& partial) const {
  const GridFrame& frame = grid.frame();
  gpu::ToolShaderParams params;
  params.invocationsPerChunk = program.groupSize();
  params.nodeCounts = {frame.nodes.x, frame.nodes.y, frame.nodes.z};
  params.paddedNodeCounts = {frame.padded.x, frame.padded.y, frame.padded.z};
  params.elementCount = range.elementCount;
  std::copy_n(glm::value_ptr(frame.worldToGrid), 16, params.toolpathToGrid.begin());
  params.toolScale = frame.inverseCellSize;
  params.applyRapidMoves = switches.applyRapidMoves;
  params.reportRapidMoves = switches.reportRapidMoves;
  params.stoppedSpindleMode = switches.stoppedSpindleMode;
  params.reportSpindleStoppedMoves = switches.reportSpindleStoppedMoves;
  params.cutEveryRay = switches.cutEveryRay;
  params.apply(program);
  if (range.extraChunks == 0) return;
  const gpu::ToolUniformLocations& at = program.locations();
  glUniform1ui(at.extraElemType, partial->type);
  glUniform3fv(at.extraElemStart, 1, glm::value_ptr(partial->start));
  glUniform3fv(at.extraElemEnd, 1, glm::value_ptr(partial->end));
  glUniform3fv(at.extraElemToolDirFrom, 1, glm::value_ptr(partial->axisFrom));
  glUniform3fv(at.extraElemToolDirTo, 1, glm::value_ptr(partial->axisTo));
  if (at.extraElemToolDirFlip != -1) glUniform1f(at.extraElemToolDirFlip, partial->parameter);
}

void MillCut::bindBuffers(StockGrid& grid, const MoveStream& stream) {
  chunkIndex_->bindBase(GPU_CUT_CHUNK_INDEX_BINDING);
  stream.buffer().bindBase(GPU_CUT_MOVE_RECORDS_BINDING);
  grid.nodeWords().bindBase(GPU_CUT_NODE_WORDS_BINDING);
  grid.signField().bindBase(GPU_CUT_SIGN_FIELD_BINDING);
  reportBits_->bindBase(GPU_CUT_REPORT_BITS_BINDING);
}

// The range's chunks, then the partial move's, in dispatches small enough
// that a stop request waits for one of them only; false when it stopped.
bool MillCut::dispatch(const gpu::BaseToolShader& program, const RangeIndex& range, const CutSwitches& switches) const {
  const gpu::ToolUniformLocations& at = program.locations();
  const uint32_t total = range.endChunk + range.extraChunks;
  const uint64_t chunksPerDispatch = uint64_t{chunksPerDispatch_} * GPU_CUT_GROUP_SIZE / program.groupSize();
  glUniform1ui(at.invocationChunkEnd, range.endChunk);
  for (uint32_t start = range.firstChunk; start < total;) {
    if (switches.stop && switches.stop->load(std::memory_order_relaxed)) return false;
    const uint32_t stop = static_cast<uint32_t>(std::min<uint64_t>(total, uint64_t{start} + chunksPerDispatch));
    glUniform1ui(at.invocationChunkOffset, start);
    glUniform1ui(at.invocationChunkExtraEnd, stop);
    gpu::dispatch1D(uint64_t{stop - start} / program.chunkDivisor());
    gpu::storageBarrier();
    start = stop;
  }
  return true;
}

// The report words of the moves cut since the last read; the move list is
// made again only when they changed.
void MillCut::readReport() {
  if (unreadEnd_ <= unreadFirst_) return;
  const uint32_t firstEnd = unreadFirst_, endEnd = unreadEnd_;
  unreadFirst_ = UINT32_MAX;
  unreadEnd_ = 0;
  const uint32_t firstWord = GPU_REPORT_WORD(firstEnd), endWord = GPU_REPORT_WORD(endEnd - 1) + 1;
  const std::vector<uint32_t> words = gpu::readBack<uint32_t>(*reportBits_, firstWord, endWord - firstWord);
  if (std::equal(words.begin(), words.end(), reportWords_.begin() + firstWord)) return;
  std::copy(words.begin(), words.end(), reportWords_.begin() + firstWord);
  reported_.clear();
  for (uint32_t w = 0; w < reportWords_.size(); ++w)
    for (uint32_t bit = 0; bit < 32; ++bit)
      if (reportWords_[w] & GPU_REPORT_BIT(bit)) reported_.push_back(w * 32 + bit);
}

bool MillCut::cut(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd,
                  const tools::CutRecord& tool, uint32_t colourIndex, const CutSwitches& switches,
                  const std::optional<PartialMove>& partial, const CheckedParts* parts) {
  const std::span<const GPUMoveRecord> records = stream.records();
  if (!tool.valid || !grid.buffersReady() || records.empty()) return true;
  const uint32_t size = static_cast<uint32_t>(records.size());
  firstEnd = std::min(std::max(firstEnd, 1u), size);
  endEnd = std::max(std::min(endEnd, size), firstEnd);
  if (isTurningShape(tool.shape)) return cutTurning(grid, stream, firstEnd, endEnd, tool, colourIndex, switches, partial);
  const bool checking = parts && switches.checkParts &&
                        std::any_of(parts->begin(), parts->end(), [](const CheckedPart& p) { return p.valid; });
  if (checking && endEnd > firstEnd) {
    // Groups cut, then checked; the partial move after them, unchecked.
    for (uint32_t group = firstEnd; group < endEnd; group += std::min(kRecordsPerCheck, endEnd - group)) {
      const uint32_t groupEnd = group + std::min(kRecordsPerCheck, endEnd - group);
      if (!cut(grid, stream, group, groupEnd, tool, colourIndex, switches) ||
          !check(grid, stream, group, groupEnd, *parts, switches))
        return false;
    }
    return partial ? cut(grid, stream, endEnd, endEnd, tool, colourIndex, switches, partial) : true;
  }
  const gpu::BaseToolShader* program = bindTool(tool, colourIndex);
  if (!program) return true;
  const uint32_t raysPerChunk = program->groupSize();
  const ToolReach reach = reachOf(tool);
  Pass pass;
  pass.chunks = moveChunks(grid.frame(), records, firstEnd, endEnd, reach, raysPerChunk);
  pass.extra = partial ? chunksOf(sweepRays(grid.frame(), partial->start, partial->end,
                                            glm::dvec3(partial->axisFrom + partial->axisTo), reach.radius, reach.top,
                                            reach.bottom),
                                  raysPerChunk)
                       : 0;
  pass.bind = [&] { return bindTool(tool, colourIndex); };
  return run(grid, stream, firstEnd, endEnd, pass, switches, partial);
}

bool MillCut::check(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd,
                    const CheckedParts& parts, const CutSwitches& switches) {
  const std::span<const GPUMoveRecord> records = stream.records();
  for (uint32_t slot = 0; slot < kCheckedSlots; ++slot) {
    const CheckedPart& part = parts[slot];
    if (!part.valid) continue;
    const ToolReach reach{part.hull.widest, part.hull.lowest, part.hull.highest};
    const std::vector<uint32_t> everyMove =
        moveChunks(grid.frame(), records, firstEnd, endEnd, reach, GPU_CUT_GROUP_SIZE, sweepRaysOneWay);
    std::vector<uint8_t> through(endEnd - firstEnd, 1);
    uint32_t after = GPU_COLLISION_NO_MODE;
    for (uint32_t mode : StockCollisionCheck::passesOf(part)) {
      Pass pass;
      pass.cuts = false;
      pass.chunks = everyMove;
      for (size_t i = 0; i < through.size(); ++i)
        if (!through[i]) pass.chunks[i] = 0;
      if (std::all_of(pass.chunks.begin(), pass.chunks.end(), [](uint32_t c) { return c == 0; })) break;
      pass.bind = [&] { return collisions_.bind(part, slot, mode, after); };
      pass.bindFields = [&] { collisions_.bindFields(records.size()); };
      if (!run(grid, stream, firstEnd, endEnd, pass, switches, std::nullopt)) {
        collisions_.noteChecked(firstEnd, endEnd);  // what it found so far is read
        return false;
      }
      if (mode < 2) through = collisions_.flagged(firstEnd, endEnd, slot, mode);
      after = mode;
    }
  }
  collisions_.noteChecked(firstEnd, endEnd);
  return true;
}

bool MillCut::cutTurning(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd,
                         const tools::CutRecord& tool, uint32_t colourIndex, const CutSwitches& switches,
                         const std::optional<PartialMove>& partial) {
  const GridFrame& frame = grid.frame();
  const std::span<const GPUMoveRecord> records = stream.records();
  const bool symmetric = switches.turningSymmetry && axisCentred(frame);
  bool done = true;
  for (TurningPass which : {TurningPass::ZRays, TurningPass::XYRays}) {
    Pass pass;
    pass.chunks.reserve(endEnd - firstEnd);
    for (uint32_t k = firstEnd; k < endEnd; ++k)
      pass.chunks.push_back(turningChunks(frame, records[k - 1], records[k], tool, which, symmetric));
    if (partial) {
      const auto [from, to] = recordsOf(*partial);
      pass.extra = turningChunks(frame, from, to, tool, which, symmetric);
    }
    pass.bind = [&] { return turning_.bind(which, tool, colourIndex, symmetric); };
    done = done && run(grid, stream, firstEnd, endEnd, pass, switches, partial);
  }
  // The part-off follows whole moves only: what a partial move cuts is
  // taken back out, and a part-off with it could not be.
  if (done && endEnd > firstEnd) turning_.partOff(grid);
  return done;
}

bool MillCut::run(StockGrid& grid, const MoveStream& stream, uint32_t firstEnd, uint32_t endEnd, const Pass& pass,
                  const CutSwitches& switches, const std::optional<PartialMove>& partial) {
  const std::vector<uint32_t>& chunks = pass.chunks;
  if (pass.extra == 0 && std::all_of(chunks.begin(), chunks.end(), [](uint32_t c) { return c == 0; })) return true;
  const std::span<const GPUMoveRecord> records = stream.records();
  sizeReport(records.size());
  const gpu::BaseToolShader* program = pass.bind();
  if (!program) return true;
  // Pieces whose chunks a 32-bit count holds.
  bool done = true;
  for (uint32_t pieceFirst = firstEnd; done && pieceFirst < endEnd;) {
    uint32_t pieceEnd = pieceFirst;
    for (uint64_t total = 0; pieceEnd < endEnd && total + chunks[pieceEnd - firstEnd] < chunksPerPiece_; ++pieceEnd)
      total += chunks[pieceEnd - firstEnd];
    if (pieceEnd == pieceFirst) ++pieceEnd;  // one move always fits
    const RangeIndex range = writeIndex(chunks, firstEnd, pieceFirst, pieceEnd, records.size());
    bindBuffers(grid, stream);
    if (pass.bindFields) pass.bindFields();
    setCommonUniforms(*program, grid, range, switches, std::nullopt);
    done = dispatch(*program, range, switches);
    pieceFirst = pieceEnd;
  }
  // The partial move last, on its own.
  if (done && pass.extra > 0) {
    program = pass.bind();
    RangeIndex range;
    range.extraChunks = pass.extra;
    range.elementCount = 1;
    if (!chunkIndex_) chunkIndex_.emplace(16, 0u);  // bound, though the partial move reads no entry
    bindBuffers(grid, stream);
    setCommonUniforms(*program, grid, range, switches, partial);
    done = dispatch(*program, range, switches);
  }
  // The report is read when asked for (see readReport).
  if (pass.cuts && endEnd > firstEnd) {
    unreadFirst_ = std::min(unreadFirst_, firstEnd);
    unreadEnd_ = std::max(unreadEnd_, endEnd);
  }
  return done;
}

}  // namespace stock
