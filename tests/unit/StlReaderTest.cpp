// STL import: telling binary from ASCII, binary records, ASCII vertex lines,
// file errors, reads confined to the image, bounds, and a mutation fuzz of
// the parser.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/StlReader.h"

namespace {

using formats::StlVertex;
using formats::StlVertices;
using Bytes = std::vector<uint8_t>;
using Xyz = std::array<float, 3>;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr const char* kIncomplete = "Binary STL file is incomplete";

std::span<const uint8_t> view(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }
Bytes toBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

void putU32(Bytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
void putFloat(Bytes& out, float value) { putU32(out, std::bit_cast<uint32_t>(value)); }
uint32_t getU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

struct Triangle {
  Xyz v[3];
};

// Every coordinate differs from every other one, so a vertex copied from the
// wrong record or the wrong offset shows.
Triangle distinctTriangle(int i) {
  Triangle t;
  for (int k = 0; k < 3; ++k) {
    const float base = static_cast<float>(i * 10 + k);
    t.v[k] = {base + 0.25f, -base - 0.5f, (base + 1.0f) * 1.125f + 1000.0f};
  }
  return t;
}

std::vector<Triangle> distinctTriangles(int count) {
  std::vector<Triangle> triangles;
  for (int i = 0; i < count; ++i) triangles.push_back(distinctTriangle(i));
  return triangles;
}

// Header text padded with `pad` to 80 bytes, the announced count (the real
// one unless given), then one record per triangle. Normals and attribute
// words hold values the reader must skip.
Bytes binaryImage(const std::vector<Triangle>& triangles, std::string_view header = "binary mesh",
                  std::optional<uint32_t> announced = std::nullopt, uint8_t pad = 0) {
  Bytes out(header.begin(), header.end());
  out.resize(80, pad);
  putU32(out, announced.value_or(static_cast<uint32_t>(triangles.size())));
  for (size_t i = 0; i < triangles.size(); ++i) {
    putFloat(out, 9000.0f + static_cast<float>(i));
    putFloat(out, -9000.0f);
    putFloat(out, 0.5f);
    for (const Xyz& v : triangles[i].v) {
      for (float c : v) putFloat(out, c);
    }
    out.push_back(0xAB);
    out.push_back(static_cast<uint8_t>(i));
  }
  return out;
}

bool sameFloat(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

void expectVertices(const StlVertices& got, const std::vector<Xyz>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_TRUE(sameFloat(got[i].x, want[i][0]) && sameFloat(got[i].y, want[i][1]) &&
                sameFloat(got[i].z, want[i][2]))
        << "vertex " << i << ": got (" << got[i].x << ", " << got[i].y << ", " << got[i].z
        << "), want (" << want[i][0] << ", " << want[i][1] << ", " << want[i][2] << ")";
  }
}

std::vector<Xyz> flatten(const std::vector<Triangle>& triangles) {
  std::vector<Xyz> out;
  for (const Triangle& t : triangles) out.insert(out.end(), std::begin(t.v), std::end(t.v));
  return out;
}

void expectNoBox(const formats::StlBox& box) {
  EXPECT_EQ(box.status, formats::kStlBoxNoTriangles);
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_EQ(box.min[axis], 0.0f);
    EXPECT_EQ(box.max[axis], 0.0f);
  }
}

// A typical exporter's text: a name on the solid line (one that even begins
// with the keyword), normals that are not vertices, and the last vertex line
// without a line break after it.
constexpr std::string_view kFacetText =
    "solid vertexcolour_bracket v2\n"
    "  facet normal 0.0e0 0 1\n"
    "    outer loop\n"
    "      vertex 1.5e2 -0.25 +3\n"
    "      vertex 0 1 2\n"
    "      vertex -1 -2 -3.5\n"
    "    endloop\n"
    "  endfacet\n"
    "  facet normal 0 -1 0\n"
    "    outer loop\n"
    "      vertex 4 5 6\n"
    "      vertex 7.125 8 9\n"
    "      vertex 10 11 12.5";

const std::vector<Xyz> kFacetVertices = {{150.0f, -0.25f, 3.0f}, {0, 1, 2},       {-1, -2, -3.5f},
                                         {4, 5, 6},              {7.125f, 8, 9}, {10, 11, 12.5f}};

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Files in a directory of their own, removed afterwards.
class StlFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("korvane-stl-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string write(const std::string& name, const Bytes& bytes) {
    const std::filesystem::path path = dir_ / name;  // UTF-8 on Linux
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    return path.string();
  }

  std::filesystem::path dir_;
};

TEST_F(StlFileTest, AsciiFileYieldsEveryVertexWhateverTheLineEndings) {
  const std::string variants[] = {std::string(kFacetText),
                                  replaceAll(std::string(kFacetText), "\n", "\r\n"),
                                  replaceAll(std::string(kFacetText), "  ", "\t")};
  int index = 0;
  for (const std::string& text : variants) {
    SCOPED_TRACE("variant " + std::to_string(index));
    const std::string path = write("part" + std::to_string(index++) + ".stl", toBytes(text));
    const formats::StlResult result = formats::readStlDetailed(path);
    EXPECT_EQ(result.error, "");
    expectVertices(result.vertices, kFacetVertices);
    expectVertices(formats::readStl(path), kFacetVertices);
  }
}

TEST_F(StlFileTest, BinaryFileIsReadWhole) {
  const auto triangles = distinctTriangles(5);
  const std::string path = write("größe_🙂.stl", binaryImage(triangles));
  const formats::StlResult result = formats::readStlDetailed(path);
  EXPECT_EQ(result.error, "");
  expectVertices(result.vertices, flatten(triangles));
}

TEST_F(StlFileTest, FilesThatCannotBeReadAreReported) {
  const std::string missing = (dir_ / "missing.stl").string();
  formats::StlResult result = formats::readStlDetailed(missing);
  EXPECT_EQ(result.error, "Failed to open file: " + missing);
  EXPECT_TRUE(result.vertices.empty());
  EXPECT_TRUE(formats::readStl(missing).empty());

  const std::string empty = write("empty.stl", {});
  result = formats::readStlDetailed(empty);
  EXPECT_EQ(result.error, "File is empty or invalid: " + empty);
  EXPECT_TRUE(result.vertices.empty());

  // A directory opens on Linux; only reading it fails.
  const std::string directory = dir_.string();
  result = formats::readStlDetailed(directory);
  EXPECT_EQ(result.error, "Failed to open file: " + directory);
  EXPECT_TRUE(result.vertices.empty());
}

TEST(StlReaderDetection, SolidHeaderWithANonTextByteIsBinary) {
  // Exporters often begin a binary header with "solid". Padding with zero
  // bytes, or a text header followed by the count's zero high bytes, makes
  // it binary either way.
  const auto triangles = distinctTriangles(2);
  for (uint8_t pad : {uint8_t{0}, uint8_t{' '}}) {
    SCOPED_TRACE(int{pad});
    const formats::StlResult result =
        formats::parseStlDetailed(view(binaryImage(triangles, "solid exported part", {}, pad)));
    EXPECT_EQ(result.error, "");
    expectVertices(result.vertices, flatten(triangles));
  }
}

TEST(StlReaderDetection, OnlyTheFirst84BytesDecide) {
  // 84 bytes of text, the count field included (spaces: 0x20202020
  // triangles, far more than present), then vertex lines. Read as text this
  // gives one vertex; read as binary it is incomplete.
  std::string text = "solid\tname\r\n" + std::string(72, ' ');
  ASSERT_EQ(text.size(), 84u);
  text += "\xC3\xA9 comment with a UTF-8 letter\nvertex 1 2 3\n";
  const Bytes textImage = toBytes(text);

  formats::StlResult result = formats::parseStlDetailed(view(textImage));
  EXPECT_EQ(result.error, "");
  expectVertices(result.vertices, {{1, 2, 3}});

  for (size_t at : {size_t{5}, size_t{42}, size_t{79}, size_t{80}, size_t{83}}) {
    for (uint8_t byte : {0x00, 0x01, 0x0B, 0x1B, 0x7F, 0x80, 0xFF}) {
      SCOPED_TRACE(testing::Message() << "byte " << int{byte} << " at " << at);
      Bytes image = textImage;
      image[at] = byte;
      result = formats::parseStlDetailed(view(image));
      EXPECT_EQ(result.error, kIncomplete);
      EXPECT_TRUE(result.vertices.empty());
    }
  }
  // Text control characters allowed in the header, and bytes beyond it.
  const std::pair<size_t, uint8_t> stillText[] = {
      {6, '\t'}, {50, '\n'}, {83, '\r'}, {84, 0x01}, {85, 0xFF}};
  for (const auto& [at, byte] : stillText) {
    SCOPED_TRACE(testing::Message() << "byte " << int{byte} << " at " << at);
    Bytes image = textImage;
    image[at] = byte;
    result = formats::parseStlDetailed(view(image));
    EXPECT_EQ(result.error, "");
    expectVertices(result.vertices, {{1, 2, 3}});
  }
}

TEST(StlReaderDetection, TextWithoutALeadingSolidIsBinary) {
  const std::string body = std::string(100, ' ') + "vertex 1 2 3\n";
  for (std::string_view prefix : {"Solid", " solid", "facet", "soli"}) {
    SCOPED_TRACE(prefix);
    const formats::StlResult result =
        formats::parseStlDetailed(view(toBytes(std::string(prefix) + body)));
    EXPECT_EQ(result.error, kIncomplete);
    EXPECT_TRUE(result.vertices.empty());
  }
}

TEST(StlReaderDetection, ImagesShorterThanABinaryPreambleAreText) {
  // 83 bytes, binary zeros and all, are still text.
  Bytes image = toBytes("vertex 1 2 3\n");
  image.resize(83, 0);
  formats::StlResult result = formats::parseStlDetailed(view(image));
  EXPECT_EQ(result.error, "");
  expectVertices(result.vertices, {{1, 2, 3}});

  result = formats::parseStlDetailed(view(Bytes(83, 0)));
  EXPECT_EQ(result.error, "");
  EXPECT_TRUE(result.vertices.empty());

  result = formats::parseStlDetailed({});
  EXPECT_EQ(result.error, "");
  EXPECT_TRUE(result.vertices.empty());

  // One byte more and the same text is a binary preamble announcing nothing.
  image.resize(84, 0);
  result = formats::parseStlDetailed(view(image));
  EXPECT_EQ(result.error, "");
  EXPECT_TRUE(result.vertices.empty());
}

TEST(StlReaderBinary, EveryRecordIsCopiedWhateverTheCount) {
  // Counts below, at and past multiples of four, with trailing bytes that
  // belong to no record.
  for (int count = 0; count <= 9; ++count) {
    SCOPED_TRACE(count);
    const auto triangles = distinctTriangles(count);
    Bytes image = binaryImage(triangles);
    image.insert(image.end(), {1, 2, 3, 4, 5, 6, 7});
    const formats::StlResult result = formats::parseStlDetailed(view(image));
    EXPECT_EQ(result.error, "");
    expectVertices(result.vertices, flatten(triangles));
    expectVertices(formats::parseStl(view(image)), flatten(triangles));
  }
}

TEST(StlReaderBinary, ImagesShorterThanTheirCountYieldNothing) {
  const auto triangles = distinctTriangles(2);
  Bytes exact = binaryImage(triangles);
  ASSERT_EQ(exact.size(), 84u + 2 * 50u);
  EXPECT_EQ(formats::parseStl(view(exact)).size(), 6u);

  Bytes oneShort = exact;
  oneShort.pop_back();
  Bytes moreAnnounced = binaryImage(triangles, "binary mesh", 3);
  // The largest count there is: no allocation may follow from it.
  Bytes absurd = binaryImage(triangles, "binary mesh", 0xFFFFFFFFu);
  for (const Bytes* image : {&oneShort, &moreAnnounced, &absurd}) {
    const formats::StlResult result = formats::parseStlDetailed(view(*image));
    EXPECT_EQ(result.error, kIncomplete);
    EXPECT_TRUE(result.vertices.empty());
    expectNoBox(formats::analyseStl(result.vertices));
  }
}

struct TextCase {
  std::string text;
  std::vector<Xyz> want;
};

TEST(StlReaderAscii, VertexLinesAreReadLikeScanfWould) {
  using namespace std::string_literals;
  const TextCase cases[] = {
      // Two numbers and a keyword: not a vertex; the next line is.
      {"vertex 1 2\nvertex 3 4 5\n", {{3, 4, 5}}},
      {"vertex 1 2 x\nvertex 7 8 9", {{7, 8, 9}}},
      // White space between numbers includes line breaks.
      {"vertex 1\n  2\r\n\t3\n", {{1, 2, 3}}},
      {"vertex\v+3\f-0.25 1.5E2\n", {{3, -0.25f, 150}}},
      // The keyword needs no space after it, as with scanf's " " directive.
      {"vertex1 2 3", {{1, 2, 3}}},
      {"vertex .5 5. -.5e1\n", {{0.5f, 5, -5}}},
      {"vertex 0x1p3 -0X1.8p1 1e-2\n", {{8, -3, 0.01f}}},
      {"vertex 1e999 -1e999 1e-999\n", {{kInf, -kInf, 0}}},
      {"vertex inf -Infinity nan\n", {{kInf, -kInf, kNan}}},
      // Signs: one at most, and none after a hex prefix.
      {"vertex ++1 2 3\nvertex +-1 2 3\nvertex 0x-1 2 3\n", {}},
      // The keyword is case-sensitive and must be followed by numbers.
      {"vertexes 1 2 3\nVERTEX 1 2 3\nverte 1 2 3\n", {}},
      // After a keyword, scanning goes on at the next line.
      {"vertex 1 2 3 vertex 4 5 6\nvertex 7 8 9\n", {{1, 2, 3}, {7, 8, 9}}},
      {"facet normal 0 0 1 vertex 1 2 3\n", {{1, 2, 3}}},
      // A zero byte ends a number as it ends sscanf's string.
      {"vertex 1\0 2 3\nvertex 4 5 6"s, {{4, 5, 6}}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    const formats::StlResult result = formats::parseStlDetailed(view(toBytes(c.text)));
    EXPECT_EQ(result.error, "");
    expectVertices(result.vertices, c.want);
  }
}

TEST(StlReaderAscii, NothingOutsideTheImageIsRead) {
  // Each image is a prefix of text that would read differently if the
  // parser looked past its end.
  struct Cut {
    std::string storage;
    size_t length;
    std::vector<Xyz> want;
  };
  const Cut cuts[] = {
      {"vertex 1 2 34 5", 12, {{1, 2, 3}}},
      {"vertex 1 2 3e5", 13, {{1, 2, 3}}},
      {"vertex 1 2 -7", 12, {}},
      {"vertex 1 2 7", 11, {}},
      {"solid\nverte\nvertex 1 2 3", 11, {}},
      {"vertex 1 2 3", 6, {}},
      {"vertex 1 2 3", 5, {}},
  };
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(testing::PrintToString(cut.storage.substr(0, cut.length)));
    const Bytes storage = toBytes(cut.storage);
    const std::span<const uint8_t> image(storage.data(), cut.length);
    expectVertices(formats::parseStl(image), cut.want);
    // The same prefix in an allocation of its own, for address checkers.
    expectVertices(formats::parseStl(view(Bytes(image.begin(), image.end()))), cut.want);
  }
}

TEST(StlReaderAnalyse, BoundsCoverEveryVertex) {
  const formats::StlBox box = formats::analyseStl(formats::parseStl(view(toBytes(kFacetText))));
  EXPECT_EQ(box.status, formats::kStlBoxValid);
  EXPECT_EQ(box.min[0], -1.0f);
  EXPECT_EQ(box.min[1], -2.0f);
  EXPECT_EQ(box.min[2], -3.5f);
  EXPECT_EQ(box.max[0], 150.0f);
  EXPECT_EQ(box.max[1], 11.0f);
  EXPECT_EQ(box.max[2], 12.5f);

  // A single degenerate triangle is still a box.
  const formats::StlBox point = formats::analyseStl({{-4, 5, 6}, {-4, 5, 6}, {-4, 5, 6}});
  EXPECT_EQ(point.status, formats::kStlBoxValid);
  EXPECT_EQ(point.min[0], -4.0f);
  EXPECT_EQ(point.max[0], -4.0f);
  EXPECT_EQ(point.min[2], 6.0f);
  EXPECT_EQ(point.max[2], 6.0f);
}

TEST(StlReaderAnalyse, ListsThatAreNoMeshGiveNoBox) {
  // Four vertex lines: one triangle and a stray vertex.
  const StlVertices ragged =
      formats::parseStl(view(toBytes("solid x\nvertex 1 2 3\nvertex 4 5 6\nvertex 7 8 9\n"
                                     "vertex 10 11 12\nendsolid x\n")));
  ASSERT_EQ(ragged.size(), 4u);
  expectNoBox(formats::analyseStl(ragged));
  expectNoBox(formats::analyseStl({}));
  expectNoBox(formats::analyseStl({{1, 2, 3}, {4, 5, 6}}));
  // NaN anywhere, first or last, leaves no usable bounds.
  expectNoBox(formats::analyseStl({{kNan, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
  expectNoBox(formats::analyseStl({{1, 2, 3}, {4, 5, 6}, {7, 8, kNan}}));
}

// ----------------------------------------------------------------- fuzzing

// The documented rule, restated independently as the fuzz oracle.
bool isText(const Bytes& image) {
  if (image.size() < 84) return true;
  if (std::memcmp(image.data(), "solid", 5) != 0) return false;
  for (size_t i = 5; i < 84; ++i) {
    const uint8_t c = image[i];
    if (c >= 127 || (c < 32 && c != '\t' && c != '\n' && c != '\r')) return false;
  }
  return true;
}

size_t countKeywords(const Bytes& image) {
  const std::string_view text(reinterpret_cast<const char*>(image.data()), image.size());
  size_t count = 0;
  for (size_t at = text.find("vertex"); at != std::string_view::npos;
       at = text.find("vertex", at + 6)) {
    ++count;
  }
  return count;
}

struct FuzzTally {
  size_t binaryRead = 0, binaryIncomplete = 0, textRead = 0;
};

// Empty when the result fits the image, else what is wrong.
std::string violation(const Bytes& image, const formats::StlResult& result, FuzzTally& tally) {
  const size_t got = result.vertices.size();
  if (isText(image)) {
    if (!result.error.empty()) return "text image reported: " + result.error;
    // Each vertex needs its own keyword, keywords of two vertices are a line
    // break apart, and the last needs three number characters after it.
    if (got * 7 > image.size()) return "more vertices than the text can hold";
    if (got > countKeywords(image)) return "more vertices than vertex keywords";
    tally.textRead += got > 0;
    return "";
  }
  const uint64_t triangles = getU32(image.data() + 80);
  if (84 + 50 * triangles > image.size()) {
    if (got != 0 || result.error != kIncomplete) return "incomplete binary image was accepted";
    ++tally.binaryIncomplete;
    return "";
  }
  if (!result.error.empty()) return "complete binary image reported: " + result.error;
  if (got != 3 * triangles) return "binary vertex count differs from the announced count";
  for (size_t i = 0; i < got; ++i) {
    const uint8_t* floats = image.data() + 84 + 50 * (i / 3) + 12 + 12 * (i % 3);
    const StlVertex& v = result.vertices[i];
    if (std::bit_cast<uint32_t>(v.x) != getU32(floats) ||
        std::bit_cast<uint32_t>(v.y) != getU32(floats + 4) ||
        std::bit_cast<uint32_t>(v.z) != getU32(floats + 8)) {
      return "binary vertex " + std::to_string(i) + " differs from its record";
    }
  }
  tally.binaryRead += got > 0;
  return "";
}

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : rng_(seed) {}

  size_t below(size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(rng_);
  }

  void mutate(Bytes& image) {
    switch (below(8)) {
      case 0:  // any byte to any value
        if (!image.empty()) image[below(image.size())] = static_cast<uint8_t>(below(256));
        break;
      case 1:
        image.resize(below(image.size() + 1));
        break;
      case 2: {
        static constexpr std::string_view kTokens[] = {
            "vertex", "vertex ", "solid", " ",     "\n", "\t", "1", "-2.5e3",
            "+",      "e",       "nan",   "inf",   "0x1p4", ".", std::string_view("\0", 1)};
        const std::string_view token = kTokens[below(std::size(kTokens))];
        const auto at = image.begin() + static_cast<ptrdiff_t>(below(image.size() + 1));
        image.insert(at, token.begin(), token.end());
        break;
      }
      case 3:  // the count field: anything, or close to what the image holds
        if (image.size() >= 84) {
          const size_t held = (image.size() - 84) / 50;
          const uint32_t count = below(2) ? static_cast<uint32_t>(rng_())
                                          : static_cast<uint32_t>(below(held + 3));
          for (int k = 0; k < 4; ++k) image[80 + k] = static_cast<uint8_t>(count >> (8 * k));
        }
        break;
      case 4:
        if (image.size() >= 5) std::memcpy(image.data(), "solid", 5);
        break;
      case 5: {
        const size_t from = below(image.size() + 1);
        const size_t length = std::min(below(17), image.size() - from);
        image.erase(image.begin() + static_cast<ptrdiff_t>(from),
                    image.begin() + static_cast<ptrdiff_t>(from + length));
        break;
      }
      case 6:  // repeat a slice, bounded so images stay small
        if (!image.empty() && image.size() < 4096) {
          const size_t from = below(image.size());
          const size_t length = std::min(below(65), image.size() - from);
          const Bytes slice(image.begin() + static_cast<ptrdiff_t>(from),
                            image.begin() + static_cast<ptrdiff_t>(from + length));
          const auto at = image.begin() + static_cast<ptrdiff_t>(below(image.size() + 1));
          image.insert(at, slice.begin(), slice.end());
        }
        break;
      default:  // a header byte, text or not
        if (image.size() >= 84) {
          static constexpr uint8_t kHeaderBytes[] = {' ', 'a', '\t', '\n', '\r',
                                                     0,   1,   0x7F, 0x80, 0xFF};
          image[5 + below(79)] = kHeaderBytes[below(std::size(kHeaderBytes))];
        }
        break;
    }
  }

 private:
  std::mt19937 rng_;
};

TEST(StlReaderFuzz, MutatedImagesNeverCrashOrOverAllocate) {
  const std::vector<Bytes> seeds = {
      toBytes(kFacetText),
      toBytes("vertex 1 2 3\nvertex 4 5 6\nvertex 7 8 9"),
      binaryImage(distinctTriangles(3)),
      binaryImage(distinctTriangles(6), "solid exported part", {}, ' '),
      binaryImage(distinctTriangles(1), "solid", 1000),
  };
  constexpr int kImages = 20000;
  // A safety budget for slow or instrumented builds, not a measurement.
  constexpr auto kBudget = std::chrono::seconds(3);
  const auto start = std::chrono::steady_clock::now();
  Mutator mutator(0x5EEDu);
  FuzzTally tally;
  int tried = 0;
  for (; tried < kImages; ++tried) {
    const bool checkClock = tried >= 1000 && tried % 256 == 0;
    if (checkClock && std::chrono::steady_clock::now() - start > kBudget) break;
    Bytes image = seeds[mutator.below(seeds.size())];
    for (size_t m = 1 + mutator.below(4); m > 0; --m) mutator.mutate(image);
    // parseStlDetailed is noexcept: anything thrown inside ends the run here.
    const formats::StlResult result = formats::parseStlDetailed(view(image));
    const std::string wrong = violation(image, result, tally);
    ASSERT_EQ(wrong, "") << "image " << tried << ": "
                         << testing::PrintToString(std::string(image.begin(), image.end()));
  }
  // The mutations must keep reaching every outcome, or the invariants above
  // were checked on nothing.
  EXPECT_GT(tally.binaryRead, 0u) << "after " << tried << " images";
  EXPECT_GT(tally.binaryIncomplete, 0u) << "after " << tried << " images";
  EXPECT_GT(tally.textRead, 0u) << "after " << tried << " images";
}

}  // namespace
