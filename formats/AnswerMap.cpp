#include "formats/AnswerMap.h"

#include "formats/SimDocument.h"

namespace formats {
namespace {

constexpr size_t kAnswerSize = sizeof(uint32_t) + 1;

}  // namespace

void appendAnswerMap(std::vector<uint8_t>& out, const std::map<uint32_t, bool>& answers) {
  appendU32(out, static_cast<uint32_t>(answers.size()));
  for (const auto& [code, value] : answers) {
    appendU32(out, code);
    out.push_back(value ? 1 : 0);
  }
}

std::optional<std::map<uint32_t, bool>> answerMapOf(std::span<const uint8_t> payload) {
  if (payload.size() < 4) return std::nullopt;
  const uint32_t count = u32At(payload, 0);
  if (payload.size() != 4 + uint64_t(count) * kAnswerSize) return std::nullopt;
  std::map<uint32_t, bool> answers;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = 4 + size_t(i) * kAnswerSize;
    if (payload[at + 4] > 1) return std::nullopt;
    if (!answers.emplace(u32At(payload, at), payload[at + 4] != 0).second) return std::nullopt;
  }
  return answers;
}

}  // namespace formats
