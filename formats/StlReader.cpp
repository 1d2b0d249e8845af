// STL import: telling binary from ASCII images, copying binary records and
// scanning ASCII text for vertex lines.
#include "formats/StlReader.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>

namespace formats {
namespace {

// Binary layout: an 80-byte free-form header, a little-endian u32 triangle
// count, then one 50-byte record per triangle: normal (3 floats), three
// vertices (9 floats), a 16-bit attribute word.
constexpr uint64_t kHeaderSize = 80;
constexpr uint64_t kPreambleSize = 84;
constexpr uint64_t kRecordSize = 50;
constexpr size_t kRecordVerticesOffset = 12;
constexpr size_t kRecordVerticesSize = 36;

constexpr std::string_view kSolidKeyword = "solid";
constexpr std::string_view kVertexKeyword = "vertex";

// The message is built inside a try block: this also runs while handling an
// out-of-memory failure, and a message that cannot be allocated must not turn
// into an exception leaving a noexcept function.
StlResult failure(const char* what, const std::string& detail = {}) noexcept {
  StlResult result;
  try {
    result.error = what;
    result.error += detail;
  } catch (...) {
    result.error.clear();
  }
  return result;
}

// ---------------------------------------------------------------- detection

bool isHeaderTextByte(uint8_t c) {
  return c == '\t' || c == '\n' || c == '\r' || (c >= 32 && c < 127);
}

// Binary files may begin their free-form header with "solid", and many
// exporters write exactly that, so the keyword alone decides nothing. Such a
// header nearly always holds a non-text byte somewhere among the first 84,
// at the latest in the triangle count, whose high bytes are zero for any
// mesh of sane size. Images too short for the binary preamble can only be
// text.
bool looksLikeAscii(std::span<const uint8_t> bytes) {
  if (bytes.size() < kPreambleSize) return true;
  if (std::memcmp(bytes.data(), kSolidKeyword.data(), kSolidKeyword.size()) != 0) return false;
  const auto rest = bytes.subspan(kSolidKeyword.size(), kPreambleSize - kSolidKeyword.size());
  return std::all_of(rest.begin(), rest.end(), isHeaderTextByte);
}

// ------------------------------------------------------------------- binary

uint32_t readLittleEndian32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The three vertices of one record. On little-endian hosts the file's floats
// already have the in-memory layout of three StlVertex values.
inline void copyRecordVertices(const uint8_t* record, StlVertex* out) {
  const uint8_t* floats = record + kRecordVerticesOffset;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, floats, kRecordVerticesSize);
  } else {
    for (int v = 0; v < 3; ++v, floats += 12) {
      out[v].x = std::bit_cast<float>(readLittleEndian32(floats));
      out[v].y = std::bit_cast<float>(readLittleEndian32(floats + 4));
      out[v].z = std::bit_cast<float>(readLittleEndian32(floats + 8));
    }
  }
}

StlResult parseBinary(std::span<const uint8_t> bytes) {
  if (bytes.size() < kPreambleSize) return failure("Invalid binary STL file");
  const uint64_t triangles = readLittleEndian32(bytes.data() + kHeaderSize);
  // 64-bit arithmetic: 84 + 50 * 0xFFFFFFFF cannot wrap. The check comes
  // before any allocation, so a forged count costs nothing.
  if (static_cast<uint64_t>(bytes.size()) < kPreambleSize + kRecordSize * triangles) {
    return failure("Binary STL file is incomplete");
  }
  // Fits size_t: every record is in memory.
  const size_t count = static_cast<size_t>(triangles);
  StlResult result;
  result.vertices.resize(count * 3);
  const uint8_t* record = bytes.data() + kPreambleSize;
  StlVertex* out = result.vertices.data();
  size_t i = 0;
  // Four records per step: independent copies the compiler can overlap,
  // and a quarter of the loop overhead on meshes of millions of triangles.
  for (; i + 4 <= count; i += 4, record += 4 * kRecordSize, out += 12) {
    copyRecordVertices(record, out);
    copyRecordVertices(record + kRecordSize, out + 3);
    copyRecordVertices(record + 2 * kRecordSize, out + 6);
    copyRecordVertices(record + 3 * kRecordSize, out + 9);
  }
  for (; i < count; ++i, record += kRecordSize, out += 3) copyRecordVertices(record, out);
  return result;
}

// -------------------------------------------------------------------- ASCII
//
// A vertex line is read the way sscanf reads "vertex %f %f %f": the keyword,
// then three numbers, each after any white space, line breaks included.
// sscanf itself cannot be used: the image is not zero-terminated.

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

const char* skipSpace(const char* p, const char* end) {
  while (p != end && isSpace(*p)) ++p;
  return p;
}

// from_chars reports overflow and underflow without a value; strtof gives
// the infinity or tiny value that sscanf would store. Rare, so the copy that
// zero-terminates the token costs nothing in practice.
float outOfRangeValue(const char* first, const char* last) {
  const std::string token(first, last);
  return std::strtof(token.c_str(), nullptr);
}

const char* fromChars(const char* first, const char* end, float& value, std::chars_format format,
                      const char* tokenStart) {
  const auto [last, ec] = std::from_chars(first, end, value, format);
  if (ec == std::errc{}) return last;
  if (ec == std::errc::result_out_of_range) {
    value = outOfRangeValue(tokenStart, last);
    return last;
  }
  return nullptr;
}

// An unsigned number: decimal, inf, infinity, nan, or hexadecimal with its
// 0x prefix (from_chars only takes hex digits without the prefix, and would
// take a sign after it, which strtof does not).
const char* parseMagnitude(const char* p, const char* end, float& value) {
  const bool hexPrefix = end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && p[2] != '-';
  if (hexPrefix) {
    if (const char* last = fromChars(p + 2, end, value, std::chars_format::hex, p)) return last;
    // "0x" without hex digits: strtof reads the zero alone, as below.
  }
  return fromChars(p, end, value, std::chars_format::general, p);
}

// One %f conversion. Returns the end of the number, or nullptr when there is
// none. from_chars takes no leading '+', so the sign is handled here.
const char* readFloat(const char* p, const char* end, float& value) {
  p = skipSpace(p, end);
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (p == end || *p == '+' || *p == '-') return nullptr;
  float magnitude = 0.0f;
  const char* last = parseMagnitude(p, end, magnitude);
  if (last != nullptr) value = negative ? -magnitude : magnitude;
  return last;
}

// `p` is just past the keyword.
bool readVertex(const char* p, const char* end, StlVertex& vertex) {
  p = readFloat(p, end, vertex.x);
  if (p != nullptr) p = readFloat(p, end, vertex.y);
  if (p != nullptr) p = readFloat(p, end, vertex.z);
  return p != nullptr;
}

// The next "vertex" at or after `p`, or nullptr. memchr jumps to each 'v'
// candidate; nothing is looked at twice.
const char* findVertexKeyword(const char* p, const char* end) {
  const size_t keyword = kVertexKeyword.size();
  while (static_cast<size_t>(end - p) >= keyword) {
    const size_t starts = static_cast<size_t>(end - p) - keyword + 1;
    const auto* hit = static_cast<const char*>(std::memchr(p, 'v', starts));
    if (hit == nullptr) return nullptr;
    if (std::memcmp(hit + 1, kVertexKeyword.data() + 1, keyword - 1) == 0) return hit;
    p = hit + 1;
  }
  return nullptr;
}

// Everything that is not a vertex line (solid, facet, normal, loop and their
// ends, names, comments) is skipped: after each keyword, whether its numbers
// were read or not, scanning goes on at the next line.
StlResult parseAscii(std::span<const uint8_t> bytes) {
  StlResult result;
  const char* p = reinterpret_cast<const char*>(bytes.data());
  const char* const end = p + bytes.size();
  while (const char* match = findVertexKeyword(p, end)) {
    StlVertex vertex{};
    if (readVertex(match + kVertexKeyword.size(), end, vertex)) result.vertices.push_back(vertex);
    const auto* lineFeed =
        static_cast<const char*>(std::memchr(match, '\n', static_cast<size_t>(end - match)));
    if (lineFeed == nullptr) break;
    p = lineFeed + 1;
  }
  return result;
}

// --------------------------------------------------------------------- file

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Only regular files: a directory opens on Linux and fails only when read,
// and opening a FIFO would block until someone writes to it.
File openRegularFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec)) return nullptr;
  return File(std::fopen(path.c_str(), "rb"));
}

// Size from the end position; -1 when it cannot be told.
long fileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

StlResult readAndParse(const std::string& path) {
  const File file = openRegularFile(path);
  if (!file) return failure("Failed to open file: ", path);
  const long size = fileSize(file.get());
  if (size < 1) return failure("File is empty or invalid: ", path);
  // No cap beyond the size itself: a file too large for memory ends in a
  // failed allocation, reported like any other.
  const size_t length = static_cast<size_t>(size);
  // Not value-initialised: the read overwrites every byte, and a large image
  // is not touched twice.
  const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(length);
  if (std::fread(buffer.get(), 1, length, file.get()) != length) {
    return failure("Failed to open file: ", path);
  }
  return parseStlDetailed(std::span<const uint8_t>(buffer.get(), length));
}

constexpr const char* kOutOfMemory = "Not enough memory to read the STL mesh";
constexpr const char* kUnexpected = "Unexpected failure while reading the STL mesh";

}  // namespace

StlResult parseStlDetailed(std::span<const uint8_t> bytes) noexcept {
  try {
    return looksLikeAscii(bytes) ? parseAscii(bytes) : parseBinary(bytes);
  } catch (const std::bad_alloc&) {
    return failure(kOutOfMemory);
  } catch (...) {
    return failure(kUnexpected);
  }
}

StlVertices parseStl(std::span<const uint8_t> bytes) noexcept {
  return parseStlDetailed(bytes).vertices;  // an xvalue: moved, not copied
}

StlResult readStlDetailed(const std::string& path) noexcept {
  try {
    return readAndParse(path);
  } catch (const std::bad_alloc&) {
    return failure(kOutOfMemory);
  } catch (...) {
    return failure(kUnexpected);
  }
}

StlVertices readStl(const std::string& path) noexcept {
  return readStlDetailed(path).vertices;
}

// A NaN coordinate compares false both ways and drops out of the box; an
// axis with nothing but NaN leaves max below min, which makes the box unusable.
StlBox analyseStl(const StlVertices& vertices) noexcept {
  StlBox box{};
  box.status = kStlBoxNoTriangles;
  if (vertices.empty() || vertices.size() % 3 != 0) return box;
  float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
  float hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
  for (const StlVertex& v : vertices) {
    const float c[3] = {v.x, v.y, v.z};
    for (int axis = 0; axis < 3; ++axis) {
      lo[axis] = std::min(lo[axis], c[axis]);
      hi[axis] = std::max(hi[axis], c[axis]);
    }
  }
  for (int axis = 0; axis < 3; ++axis) {
    if (!(hi[axis] >= lo[axis])) return box;
  }
  std::copy(lo, lo + 3, box.min);
  std::copy(hi, hi + 3, box.max);
  box.status = kStlBoxValid;
  return box;
}

}  // namespace formats
