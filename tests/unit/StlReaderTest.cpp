// STL files: import (detection, binary records, ASCII vertex lines, files,
// bounds, fuzzing) and the binary image written (layout, normals, scaling,
// index lists it refuses).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <tuple>

#include "formats/StlReader.h"
#include "formats/StlWriter.h"

namespace {

using formats::StlResult;
using Bytes = std::vector<uint8_t>;
using Xyz = std::array<float, 3>;

constexpr const char* kIncomplete = "Binary STL file is incomplete";

Bytes toBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
uint32_t getU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }
void putU32(Bytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// All coordinates distinct: a vertex from the wrong record or offset shows.
std::vector<Xyz> verticesOf(size_t triangles) {
  std::vector<Xyz> out(3 * triangles);
  for (size_t i = 0; i < out.size(); ++i) out[i] = {i + 0.25f, -0.5f - i, i + 1000.0f};
  return out;
}

// "solid" and spaces, as many exporters write: only the count's zero high
// bytes tell it from text. Normals and attribute words must be skipped.
Bytes binaryImage(uint32_t triangles, std::optional<uint32_t> announced = {}) {
  Bytes out = toBytes("solid mesh");
  out.resize(80, ' ');
  putU32(out, announced.value_or(triangles));
  const std::vector<Xyz> vertices = verticesOf(triangles);
  for (uint32_t t = 0; t < triangles; ++t) {
    for (float n : {9000.0f, -9000.0f, 0.5f}) putU32(out, std::bit_cast<uint32_t>(n));
    for (size_t c = 9 * t; c < 9 * t + 9; ++c)
      putU32(out, std::bit_cast<uint32_t>(vertices[c / 3][c % 3]));
    out.insert(out.end(), {0xAB, static_cast<uint8_t>(t)});
  }
  return out;
}

void expectResult(const StlResult& result, const std::string& error, const std::vector<Xyz>& want) {
  EXPECT_EQ(result.error, error);
  ASSERT_EQ(result.vertices.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const Xyz got = {result.vertices[i].x, result.vertices[i].y, result.vertices[i].z};
    for (int k = 0; k < 3; ++k) {
      EXPECT_TRUE(got[k] == want[i][k] || (std::isnan(got[k]) && std::isnan(want[i][k])))
          << "vertex " << i << " axis " << k << ": got " << got[k] << ", want " << want[i][k];
    }
  }
}

TEST(StlReaderAscii, VertexLinesAreReadExactlyAndOnlyInsideTheImage) {
  using namespace std::string_literals;
  // A '|' ends the image early; the text after it must not change the result.
  const std::pair<std::string, std::vector<Xyz>> cases[] = {
      // A name holding the keyword and a normal are skipped; no final line break.
      {"solid vertex_mesh\r\n facet normal 0 0 1\r\n  outer loop\r\n   vertex 1.5e2 -0.25 +3\n"
       "   vertex 0 1 2\n   vertex -1e-2 -2 -3.5",
       {{150, -0.25f, 3}, {0, 1, 2}, {-0.01f, -2, -3.5f}}},
      {"vertex 1 2\nvertex 3 4 5\n", {{3, 4, 5}}},  // two numbers: no vertex
      {"vertex\v+3\n\f-0.25\r\n\t1.5E2\n", {{3, -0.25f, 150}}},
      {"vertex.5 5. 0x1p3\nvertex -0X1.8p1 1e999 1e-999\n", {{0.5f, 5, 8}, {-3, INFINITY, 0}}},
      {"vertex inf -Infinity nan\n", {{INFINITY, -INFINITY, NAN}}},
      // One sign at most, none after a hex prefix, a case-sensitive keyword.
      {"vertex ++1 2 3\nvertex +-1 2 3\nvertex 0x-1 2 3\nVERTEX 1 2 3\n", {}},
      // Scanning goes on at the next line; a zero byte ends a number.
      {"vertex 1 2 3 vertex 4 5 6\nfacet normal 0 0 1 vertex 7 8 9\nvertex 1\0 2 3\n"s,
       {{1, 2, 3}, {7, 8, 9}}},
      {"vertex 1 2 3|4 5", {{1, 2, 3}}},
      {"vertex 1 2 -|7", {}},
      {"solid\nverte|\nvertex 1 2 3", {}},
  };
  for (const auto& [marked, want] : cases) {
    SCOPED_TRACE(testing::PrintToString(marked));
    const size_t cut = std::min(marked.find('|'), marked.size());
    std::string text = marked;
    if (cut < text.size()) text.erase(cut, 1);
    const auto exact = std::make_unique<uint8_t[]>(cut);  // for address checkers
    std::memcpy(exact.get(), text.data(), cut);
    expectResult(formats::parseStlDetailed({exact.get(), cut}), "", want);
    expectResult(formats::parseStlDetailed({reinterpret_cast<const uint8_t*>(text.data()), cut}),
                 "", want);
  }
}

TEST(StlReaderDetection, TextNeedsSolidAndTextBytesUpToTheCountsEnd) {
  // 84 bytes of text, the count field included (0x20202020 triangles), then
  // a vertex line: one vertex as text, incomplete as binary.
  const std::string text = "solid\tname\r\n" + std::string(72, ' ') + "\xC3\xA9 x\nvertex 1 2 3\n";
  const std::tuple<size_t, uint8_t, bool> edits[] = {
      {6, '\t', true},  {50, '\n', true},  {83, '\r', true},  {84, 0x01, true},  {0, 'S', false},
      {5, 0x00, false}, {42, 0x7F, false}, {60, 0x0B, false}, {79, 0x80, false}, {83, 0xFF, false}};
  for (const auto& [at, byte, isText] : edits) {
    SCOPED_TRACE(testing::Message() << "byte " << int{byte} << " at " << at);
    Bytes image = toBytes(text);
    image[at] = byte;
    expectResult(formats::parseStlDetailed(image), isText ? "" : kIncomplete,
                 isText ? std::vector<Xyz>{{1, 2, 3}} : std::vector<Xyz>{});
  }
  // Shorter than a binary preamble: text, zeros and all. One byte more and
  // the same bytes are a preamble announcing no triangles.
  Bytes image = toBytes("vertex 1 2 3\n");
  image.resize(83, 0);
  expectResult(formats::parseStlDetailed(image), "", {{1, 2, 3}});
  image.resize(84, 0);
  expectResult(formats::parseStlDetailed(image), "", {});
}

TEST(StlReaderBinary, RecordsAreCopiedOnlyWhenAllArePresent) {
  // Below, at and past multiples of the four records copied per step; odd
  // counts with trailing bytes that belong to no record.
  for (uint32_t count : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 9u}) {
    SCOPED_TRACE(count);
    Bytes image = binaryImage(count);
    if (count % 2 == 1) image.insert(image.end(), {1, 2, 3});
    expectResult(formats::parseStlDetailed(image), "", verticesOf(count));
    EXPECT_EQ(formats::parseStl(image).size(), 3 * count);
  }
  const Bytes exact = binaryImage(2);
  // The largest count too: allocating before the size check would end in
  // an out-of-memory report, not this one.
  for (const Bytes& image : {Bytes(exact.begin(), exact.end() - 1), binaryImage(2, ~0u)}) {
    expectResult(formats::parseStlDetailed(image), kIncomplete, {});
  }
}

TEST(StlReaderFile, WholeFilesAreReadAndFailuresNamed) {
  const std::filesystem::path dir = testing::TempDir() + "stl-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  const auto write = [&](const std::string& name, const Bytes& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return (dir / name).string();
  };
  const std::string binary = write("größe_🙂.stl", binaryImage(5));
  expectResult(formats::readStlDetailed(binary), "", verticesOf(5));
  EXPECT_EQ(formats::readStl(binary).size(), 15u);

  const std::string missing = (dir / "missing.stl").string(), empty = write("empty.stl", {});
  const std::pair<std::string, std::string> failures[] = {{missing, "Failed to open file: "},
                                                          {empty, "File is empty or invalid: "},
                                                          {dir, "Failed to open file: "}};
  for (const auto& [path, error] : failures) {
    expectResult(formats::readStlDetailed(path), error + path, {});
    EXPECT_TRUE(formats::readStl(path).empty());
  }
  std::filesystem::remove_all(dir);
}

TEST(StlReaderAnalyse, BoxCoversEveryVertexOfWholeTrianglesOnly) {
  const auto xyz = [](const float* p) { return Xyz{p[0], p[1], p[2]}; };
  // x all positive, y all negative, z flat, extremes in both triangles.
  const formats::StlBox box =
      formats::analyseStl({{3, -4, 5}, {1, -2, 5}, {2, -9, 5}, {7, -3, 5}, {4, -5, 5}, {6, -6, 5}});
  EXPECT_EQ(box.status, formats::kStlBoxValid);
  EXPECT_EQ(xyz(box.min), (Xyz{1, -9, 5}));
  EXPECT_EQ(xyz(box.max), (Xyz{7, -2, 5}));
  // A NaN coordinate drops out of its axis...
  const formats::StlBox withNan = formats::analyseStl({{NAN, 2, 3}, {4, 5, 6}, {7, 8, NAN}});
  EXPECT_EQ(withNan.status, formats::kStlBoxValid);
  EXPECT_EQ(xyz(withNan.min), (Xyz{4, 2, 3}));
  EXPECT_EQ(xyz(withNan.max), (Xyz{7, 8, 6}));
  // ...but an axis of NaN only, a stray vertex or no vertex at all give no box.
  const formats::StlVertices lists[] = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}},
                                        {},
                                        {{1, NAN, 3}, {4, NAN, 6}, {7, NAN, 9}}};
  for (const formats::StlVertices& list : lists) {
    const formats::StlBox none = formats::analyseStl(list);
    EXPECT_EQ(none.status, formats::kStlBoxNoTriangles) << list.size();
    EXPECT_TRUE(xyz(none.min) == Xyz{} && xyz(none.max) == Xyz{});
  }
}

size_t below(std::mt19937& rng, size_t n) { return n == 0 ? 0 : rng() % n; }

// One edit: a byte (half the time in the preamble, often one that decides
// detection), a cut, an inserted token, or the triangle count.
void mutate(Bytes& image, std::mt19937& rng) {
  static constexpr std::string_view kTokens[] = {"vertex ", "solid", " ",   "\n",    "1",
                                                 "-2.5e3",  "+",     "nan", "0x1p4", {"\0", 1}};
  const size_t size = image.size(), choice = below(rng, 4);
  if (choice == 0 && size > 0) {
    image[below(rng, rng() % 2 ? size : std::min<size_t>(size, 84))] =
        rng() % 2 ? uint8_t(rng()) : uint8_t("a \t\n\r\0\x7F\x80\xFF"[below(rng, 9)]);
  } else if (choice == 1) {
    image.resize(below(rng, size + 1));
  } else if (choice == 2) {
    const std::string_view token = kTokens[below(rng, std::size(kTokens))];
    image.insert(image.begin() + std::ptrdiff_t(below(rng, size + 1)), token.begin(), token.end());
  } else if (size >= 84) {  // any count, or one close to what the image holds
    const auto count = uint32_t(rng() % 2 ? rng() : below(rng, (size - 84) / 50 + 3));
    for (int k = 0; k < 4; ++k) image[80 + k] = uint8_t(count >> (8 * k));
  }
}

// The detection rule, restated on its own.
bool isText(const Bytes& image) {
  if (image.size() < 84) return true;
  const auto text = [](uint8_t c) { return c == 9 || c == 10 || c == 13 || (c > 31 && c < 127); };
  return std::memcmp(image.data(), "solid", 5) == 0 &&
         std::all_of(image.begin() + 5, image.begin() + 84, text);
}

TEST(StlReaderFuzz, MutatedImagesKeepTheInvariants) {
  const Bytes seeds[] = {
      toBytes("solid x\nfacet normal 0 0 1\nvertex 1 2 3\nvertex 4 5 6\nvertex 7 8 9"),
      binaryImage(5), binaryImage(1, 1000)};
  // A safety budget for slow or instrumented builds, not a measurement.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  std::mt19937 rng(0x5EEDu);
  int reached[3] = {}, tried = 0;  // text read, binary read, binary incomplete
  for (; tried < 20000; ++tried) {
    if (tried >= 1000 && tried % 256 == 0 && std::chrono::steady_clock::now() > deadline) break;
    Bytes image = seeds[below(rng, std::size(seeds))];
    for (size_t m = 1 + below(rng, 4); m > 0; --m) mutate(image, rng);
    const StlResult result = formats::parseStlDetailed(image);
    const size_t got = result.vertices.size();
    const std::string_view text(reinterpret_cast<const char*>(image.data()), image.size());
    const auto shown = [&] { return " in " + testing::PrintToString(std::string(text)); };
    if (isText(image)) {
      size_t keywords = 0;
      for (size_t at = 0; (at = text.find("vertex", at)) != text.npos; at += 6) ++keywords;
      // Each vertex needs a keyword of its own, a line break before the next.
      ASSERT_EQ(result.error, "") << shown();
      ASSERT_TRUE(got * 7 <= image.size() && got <= keywords) << got << shown();
      reached[0] += got > 0;
    } else if (const uint64_t triangles = getU32(&image[80]); 84 + 50 * triangles <= image.size()) {
      ASSERT_EQ(result.error, "") << shown();
      ASSERT_EQ(got, 3 * triangles) << shown();
      for (size_t c = 0; c < 3 * got; ++c) {  // each coordinate against its record
        const formats::StlVertex& v = result.vertices[c / 3];
        const float value = c % 3 == 0 ? v.x : c % 3 == 1 ? v.y : v.z;
        ASSERT_EQ(std::bit_cast<uint32_t>(value), getU32(&image[96 + 50 * (c / 9) + 4 * (c % 9)]))
            << "coordinate " << c << shown();
      }
      reached[1] += got > 0;
    } else {
      ASSERT_TRUE(result.error == kIncomplete && got == 0) << result.error << shown();
      ++reached[2];
    }
  }
  // Every outcome must keep being reached, or the invariants held on nothing.
  for (int count : reached) EXPECT_GT(count, 0) << "after " << tried << " images";
}

template <typename T>
T at(const std::vector<uint8_t>& image, size_t offset) {
  T value;
  std::memcpy(&value, image.data() + offset, sizeof value);
  return value;
}

TEST(StlWriter, TwoTrianglesMake184BytesReadBackAsWritten) {
  const std::vector<glm::dvec3> square = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}};
  const std::vector<uint32_t> indices = {0, 1, 2, 0, 2, 3};
  const std::vector<uint8_t> image = formats::binaryStlImage(square, indices, 0.5);
  ASSERT_EQ(image.size(), 184u);
  EXPECT_EQ(std::memcmp(image.data(), "Binary STL file generated by TARVO Simulation", 45), 0);
  for (size_t i = 45; i < 80; ++i) EXPECT_EQ(image[i], 0) << i;
  EXPECT_EQ(at<uint32_t>(image, 80), 2u);
  // Counter-clockwise seen from +z: the normal is +z.
  EXPECT_EQ(at<float>(image, 84), 0.0f);
  EXPECT_EQ(at<float>(image, 88), 0.0f);
  EXPECT_EQ(at<float>(image, 92), 1.0f);
  EXPECT_EQ(at<uint16_t>(image, 84 + 48), 0u);
  EXPECT_EQ(at<uint16_t>(image, 134 + 48), 0u);

  expectResult(formats::parseStlDetailed(image), "",
               {{0, 0, 0}, {1, 0, 0}, {1, 1.5f, 0}, {0, 0, 0}, {1, 1.5f, 0}, {0, 1.5f, 0}});
}

TEST(StlWriter, NormalsAreUnitAndDegenerateTrianglesGetNone) {
  const std::vector<glm::dvec3> points = {{0, 0, 0}, {0, 4, 0}, {0, 0, 4}, {0, 8, 0}};
  const std::vector<uint8_t> image = formats::binaryStlImage(points, std::vector<uint32_t>{0, 1, 2, 0, 1, 3}, 1.0);
  EXPECT_EQ(at<float>(image, 84), 1.0f);  // (0,4,0) x (0,0,4) = +x
  EXPECT_EQ(at<float>(image, 88), 0.0f);
  for (size_t k = 0; k < 3; ++k) EXPECT_EQ(at<float>(image, 134 + 4 * k), 0.0f) << "three points on a line";
}

TEST(StlWriter, RefusesIndexListsItCannotWrite) {
  const std::vector<glm::dvec3> points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  try {
    formats::binaryStlImage(points, std::vector<uint32_t>{0, 1, 2, 0}, 1.0);
    FAIL() << "four indices";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Invalid indices: not a multiple of 3");
  }
  EXPECT_THROW(formats::binaryStlImage(points, std::vector<uint32_t>{0, 1, 3}, 1.0), std::invalid_argument);
  EXPECT_EQ(formats::binaryStlImage(points, std::vector<uint32_t>{}, 1.0).size(), 84u);
}

}  // namespace
