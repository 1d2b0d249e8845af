#include "formats/SimDocument.h"


#include "common/Fnv1a.h"

namespace formats {
namespace {

template <typename T>
void appendLittleEndian(std::vector<uint8_t>& out, T value) {
  for (size_t i = 0; i < sizeof value; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

template <typename T>
T readLittleEndian(std::span<const uint8_t> bytes) {
  T value = 0;
  for (size_t i = 0; i < sizeof value; ++i) value |= static_cast<T>(bytes[i]) << (8 * i);
  return value;
}

}  // namespace

uint64_t documentChecksum(std::span<const uint8_t> bytes) {
  uint64_t h = kDocumentChecksumStart;
  const size_t groups = bytes.size() / 8;
  for (size_t g = 0; g < groups; ++g) {
    const std::span<const uint8_t> group = bytes.subspan(8 * g, 8);
    const uint64_t x = common::fnv1a64({reinterpret_cast<const char*>(group.data()), 7});
    h = 31 * h + (x ^ group[7]) * common::kFnvPrime;
  }
  for (const uint8_t c : bytes.subspan(8 * groups)) h = 53 * h + (c ^ common::kFnvOffsetBasis) * common::kFnvPrime;
  return h;
}

void appendU32(std::vector<uint8_t>& out, uint32_t value) { appendLittleEndian(out, value); }
void appendU64(std::vector<uint8_t>& out, uint64_t value) { appendLittleEndian(out, value); }

uint32_t u32At(std::span<const uint8_t> bytes, size_t at) { return readLittleEndian<uint32_t>(bytes.subspan(at)); }

void appendSection(std::vector<uint8_t>& out, uint32_t tag, std::span<const uint8_t> payload) {
  appendU32(out, tag);
  appendU64(out, payload.size());
  out.insert(out.end(), payload.begin(), payload.end());
}

std::optional<std::vector<Section>> sectionsOf(std::span<const uint8_t> stream) {
  constexpr size_t kHeader = sizeof(uint32_t) + sizeof(uint64_t);
  std::vector<Section> sections;
  while (!stream.empty()) {
    if (stream.size() < kHeader) return std::nullopt;
    const uint32_t tag = readLittleEndian<uint32_t>(stream);
    const uint64_t length = readLittleEndian<uint64_t>(stream.subspan(sizeof(uint32_t)));
    stream = stream.subspan(kHeader);
    if (length > stream.size()) return std::nullopt;
    sections.push_back({tag, stream.first(length)});
    stream = stream.subspan(length);
  }
  return sections;
}

void sealDocument(std::vector<uint8_t>& document) { appendU64(document, documentChecksum(document)); }

std::optional<std::span<const uint8_t>> unsealedDocument(std::span<const uint8_t> file) {
  if (file.size() < sizeof(uint64_t)) return std::nullopt;
  const std::span<const uint8_t> body = file.first(file.size() - sizeof(uint64_t));
  if (readLittleEndian<uint64_t>(file.last(sizeof(uint64_t))) != documentChecksum(body)) return std::nullopt;
  return body;
}

}  // namespace formats
