#include "stock/StockCollisionCheck.h"

#include <algorithm>

#include "gpu/Dispatch.h"

namespace stock {

namespace {

enum Program : int { kArcs, kNoArcs, kConvex, kHull };

int programOf(const tools::CutRecord& record) {
  switch (record.shape) {
    case tools::kShapeRevolvedWithArcs: return kArcs;
    case tools::kShapeRevolvedConcave: return kNoArcs;
    case tools::kShapeRevolvedConvex: return kConvex;
    default: return -1;
  }
}

std::string_view nameOf(int which) {
  switch (which) {
    case kArcs: return gpu::kCollisionArcShader;
    case kNoArcs: return gpu::kCollisionNoArcShader;
    case kConvex: return gpu::kCollisionConvexShader;
    default: return gpu::kCollisionHullShader;
  }
}

// Two moves' empty ranges: smallest position 65535, largest 0.
const std::array<int32_t, 4> kEmptyRanges{GPU_COLLISION_NO_POSITION, 0, GPU_COLLISION_NO_POSITION, 0};

uint32_t wordsFor(uint64_t bits) { return static_cast<uint32_t>((bits + 31) / 32); }

}  // namespace

CheckedParts checkedParts(const tools::ToolCutRecords& records) {
  CheckedParts parts;
  for (uint32_t slot = 0; slot < kCheckedSlots; ++slot) {
    const tools::CutRecord& record = records[slot + 1];
    if (!record.valid || programOf(record) < 0) continue;
    std::optional<tools::PartHull> hull = tools::partHull(record.secondProfile.value_or(record.profile));
    if (!hull) continue;
    parts[slot] = {true, record, std::move(*hull)};
  }
  return parts;
}

StockCollisionCheck::StockCollisionCheck() = default;
StockCollisionCheck::~StockCollisionCheck() = default;

gpu::BaseCollisionShader& StockCollisionCheck::program(int which) {
  if (!programs_[which]) programs_[which] = std::make_unique<gpu::BaseCollisionShader>(nameOf(which));
  return *programs_[which];
}

std::vector<uint32_t> StockCollisionCheck::passesOf(const CheckedPart& part) {
  if (!part.valid) return {};
  if (part.record.secondProfile) return {0, 1, 2};
  return {0, 2};  // the wider profile is the part's own
}

const gpu::BaseCollisionShader* StockCollisionCheck::bind(const CheckedPart& part, uint32_t slot, uint32_t mode,
                                                          uint32_t after) {
  if (!part.valid || mode > 2) return nullptr;
  const tools::CutRecord& record = part.record;
  const gpu::BaseCollisionShader& p = program(mode == 0 ? kHull : programOf(record));
  p.use();
  if (mode == 0) {
    if (!hullBlock_) hullBlock_.emplace();
    hullBlock_->update(part.hull.block);
    hullBlock_->bindBase(GPU_COLLISION_HULL_BLOCK_BINDING);
    glUniform1f(p.toolOffset, part.hull.lowest);
    glUniform1f(p.toolLength, part.hull.highest);
    glUniform1f(p.toolWidestRadius, part.hull.widest);
  } else {
    if (!profileBlock_) profileBlock_.emplace();
    // Pass 1 takes the wider clearance, which fits in the hull's
    // dimensions; pass 2 the part's own.
    const bool wider = mode == 1 && record.secondProfile;
    profileBlock_->update(wider ? *record.secondProfile : record.profile);
    profileBlock_->bindBase(GPU_COLLISION_PROFILE_BLOCK_BINDING);
    glUniform1f(p.toolOffset, wider ? part.hull.lowest : record.lowest);
    glUniform1f(p.toolLength, wider ? part.hull.highest : record.highest);
    glUniform1f(p.toolWidestRadius, wider ? part.hull.widest : record.widest);
  }
  glUniform1ui(p.proximityMode, mode);
  glUniform1ui(p.prevProximityMode, after);
  glUniform1ui(p.collisionSlot, slot);
  return &p;
}

void StockCollisionCheck::size(size_t records) {
  if (records <= records_ && filter_) return;
  const uint64_t filterBytes = std::max<uint64_t>(wordsFor(8ull * records) * 4ull, 16);
  const uint64_t resultBytes = std::max<uint64_t>(wordsFor(4ull * records) * 4ull, 16);
  const uint64_t rangeBytes = std::max<uint64_t>((records + 1) / 2 * 16, 16);
  auto grow = [](std::optional<gpu::SSBO>& buffer, uint64_t bytes, uint32_t initial) {
    if (!buffer) {
      buffer.emplace(bytes, initial);
      return;
    }
    const uint64_t had = buffer->size();
    if (had >= bytes) return;
    buffer->growPreserving(bytes);
    buffer->fill(initial, had / 4, (bytes - had) / 4);
  };
  grow(filter_, filterBytes, 0u);
  grow(results_, resultBytes, 0u);
  if (!ranges_ || ranges_->size() < rangeBytes) {
    // Every range starts empty (smallest 65535, largest 0); what was found
    // before the buffer grew stays.
    std::vector<uint32_t> had;
    if (ranges_) had = gpu::readBackAll<uint32_t>(*ranges_);
    ranges_.emplace(rangeBytes);
    ranges_->fill(kEmptyRanges);
    if (!had.empty()) ranges_->upload(had.data(), had.size() * 4, 0);
  }
  records_ = std::max(records_, records);
  resultWords_.resize(results_->size() / 4, 0u);
}

void StockCollisionCheck::bindFields(size_t records) {
  size(records);
  results_->bindBase(GPU_COLLISION_RESULT_BITS_BINDING);
  ranges_->bindBase(GPU_COLLISION_RANGES_BINDING);
  filter_->bindBase(GPU_COLLISION_FILTER_BITS_BINDING);
}

std::vector<uint8_t> StockCollisionCheck::flagged(uint32_t firstEnd, uint32_t endEnd, uint32_t slot, uint32_t mode) {
  std::vector<uint8_t> out(endEnd > firstEnd ? endEnd - firstEnd : 0, 0);
  if (out.empty() || !filter_) return out;
  const uint32_t firstWord = GPU_FIELD_WORD(GPU_COLLISION_FILTER_BIT(firstEnd, 0u, 0u));
  const uint32_t endWord = GPU_FIELD_WORD(GPU_COLLISION_FILTER_BIT(endEnd - 1, 3u, 1u)) + 1;
  const std::vector<uint32_t> words = gpu::readBack<uint32_t>(*filter_, firstWord, endWord - firstWord);
  for (uint32_t k = firstEnd; k < endEnd; ++k) {
    const uint32_t bit = GPU_COLLISION_FILTER_BIT(k, slot, mode);
    out[k - firstEnd] = (words[GPU_FIELD_WORD(bit) - firstWord] & GPU_FIELD_MASK(bit)) != 0;
  }
  return out;
}

void StockCollisionCheck::noteChecked(uint32_t firstEnd, uint32_t endEnd) {
  if (endEnd <= firstEnd) return;
  unreadFirst_ = std::min(unreadFirst_, firstEnd);
  unreadEnd_ = std::max(unreadEnd_, endEnd);
}

const std::vector<RecordHit>& StockCollisionCheck::hits() {
  if (unreadEnd_ <= unreadFirst_ || !results_) return hits_;
  const uint32_t firstEnd = unreadFirst_, endEnd = unreadEnd_;
  unreadFirst_ = UINT32_MAX;
  unreadEnd_ = 0;
  const uint32_t firstWord = GPU_FIELD_WORD(GPU_COLLISION_RESULT_BIT(firstEnd, 0u));
  const uint32_t endWord = GPU_FIELD_WORD(GPU_COLLISION_RESULT_BIT(endEnd - 1, 3u)) + 1;
  const std::vector<uint32_t> words = gpu::readBack<uint32_t>(*results_, firstWord, endWord - firstWord);
  if (std::equal(words.begin(), words.end(), resultWords_.begin() + firstWord)) return hits_;
  std::copy(words.begin(), words.end(), resultWords_.begin() + firstWord);
  const std::vector<uint32_t> ranges = gpu::readBack<uint32_t>(*ranges_, 0, 2ull * records_);
  hits_.clear();
  for (uint32_t k = 0; k < records_; ++k) {
    uint32_t slots = 0;
    for (uint32_t slot = 0; slot < GPU_COLLISION_SLOTS; ++slot) {
      const uint32_t bit = GPU_COLLISION_RESULT_BIT(k, slot);
      if (resultWords_[GPU_FIELD_WORD(bit)] & GPU_FIELD_MASK(bit)) slots |= 1u << slot;
    }
    if (slots == 0) continue;
    const uint32_t from = std::min(ranges[2 * k], ranges[2 * k + 1]);
    hits_.push_back({k, slots, from / 65535.0f, ranges[2 * k + 1] / 65535.0f});
  }
  return hits_;
}

void StockCollisionCheck::clear() {
  unreadFirst_ = UINT32_MAX;
  unreadEnd_ = 0;
  hits_.clear();
  std::fill(resultWords_.begin(), resultWords_.end(), 0u);
  if (filter_) filter_->fill(0u);
  if (results_) results_->fill(0u);
  if (ranges_) ranges_->fill(kEmptyRanges);
}

void StockCollisionCheck::release() {
  programs_ = {};
  hullBlock_.reset();
  profileBlock_.reset();
  filter_.reset();
  results_.reset();
  ranges_.reset();
  records_ = 0;
  unreadFirst_ = UINT32_MAX;
  unreadEnd_ = 0;
  resultWords_.clear();
  hits_.clear();
}

}  // namespace stock
