#include "formats/SetupFile.h"

#include "formats/AnswerMap.h"
#include "formats/SimDocument.h"

namespace formats {
namespace {

constexpr uint32_t kSetupFormat = 1;
constexpr uint32_t kAnswersSection = 0;
constexpr uint32_t kBytesSection = 1;

}  // namespace

std::vector<uint8_t> encodeSetup(const SetupState& state) {
  std::vector<uint8_t> answers;
  appendAnswerMap(answers, state.answers);
  std::vector<uint8_t> document;
  appendU32(document, kSetupFormat);
  appendSection(document, kAnswersSection, answers);
  appendSection(document, kBytesSection, state.bytes);
  sealDocument(document);
  return document;
}

std::optional<SetupState> decodeSetup(std::span<const uint8_t> file) {
  const std::optional<std::span<const uint8_t>> body = unsealedDocument(file);
  if (!body || body->size() < 4 || u32At(*body, 0) != kSetupFormat) return std::nullopt;
  const std::optional<std::vector<Section>> sections = sectionsOf(body->subspan(4));
  if (!sections) return std::nullopt;
  SetupState state;
  bool answersFound = false, bytesFound = false;
  for (const Section& s : *sections) {
    if (s.tag == kAnswersSection) {
      std::optional<std::map<uint32_t, bool>> answers = answerMapOf(s.payload);
      if (!answers) return std::nullopt;
      state.answers = std::move(*answers);
      answersFound = true;
    } else if (s.tag == kBytesSection) {
      if (s.payload.size() != state.bytes.size()) return std::nullopt;
      std::copy(s.payload.begin(), s.payload.end(), state.bytes.begin());
      bytesFound = true;
    }
  }
  if (!answersFound || !bytesFound) return std::nullopt;
  return state;
}

}  // namespace formats
