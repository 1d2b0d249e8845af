#pragma once
// PNG files of RGBA pictures, for the sample host's screenshots.
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The PNG image of width x height RGBA pixels, rows from the top down
// (8 bits per channel, no filtering, deflated with zlib).
std::vector<uint8_t> pngImage(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);
// Writes it; false when the file cannot be written.
bool writePng(const std::string& path, const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);

}  // namespace host
