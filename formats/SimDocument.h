#pragma once
// The document encoding of the simulation file and the saved state file: a
// byte stream of sections, each a u32 tag, a u64 byte length and that many
// payload bytes (a payload may itself be such a stream), sealed with a u64
// checksum over every byte before it. Everything is little-endian.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace formats {

inline constexpr uint64_t kDocumentChecksumStart = 4071011157563429ull;

// The checksum of a document's bytes: every whole group of eight bytes
// folds the FNV-1a hash of its first seven with its eighth, and each byte
// left over folds in alone.
uint64_t documentChecksum(std::span<const uint8_t> bytes);

struct Section {
  uint32_t tag = 0;
  std::span<const uint8_t> payload;
};

void appendU32(std::vector<uint8_t>& out, uint32_t value);
void appendU64(std::vector<uint8_t>& out, uint64_t value);
// The little-endian u32 at `at`; the caller has checked that four bytes are there.
uint32_t u32At(std::span<const uint8_t> bytes, size_t at);
void appendSection(std::vector<uint8_t>& out, uint32_t tag, std::span<const uint8_t> payload);

// The sections of a stream in order; none when a header or a payload runs
// past the end.
std::optional<std::vector<Section>> sectionsOf(std::span<const uint8_t> stream);

// Appends the checksum of everything the document holds so far.
void sealDocument(std::vector<uint8_t>& document);
// The bytes ahead of the checksum; none when the file is shorter than one
// or the checksum does not match them.
std::optional<std::span<const uint8_t>> unsealedDocument(std::span<const uint8_t> file);

}  // namespace formats
