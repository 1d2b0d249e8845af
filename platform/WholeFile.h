#pragma once
// Whole-file reads, and writes that replace a file in one step: the bytes go
// to a file of their own beside the target, which is then renamed over it.
// A failed write keeps the old file, and writers racing for one target
// leave one of their files whole.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// None when the file is missing, unreadable, not a regular file (a pipe
// or a device is not opened for long: the open does not wait) or larger
// than `limit` bytes.
std::optional<std::vector<uint8_t>> readWholeFile(const std::filesystem::path& path, size_t limit = 16u << 20);
// False when nothing was replaced.
bool replaceWholeFile(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace platform
