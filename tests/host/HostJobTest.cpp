// The sample host's job records: tools and their profiles, the toolpath the
// view takes over (tool changes, arcs turning the way G2 and G3 say), the
// stock it guesses, and the PNG files it writes.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <cstring>

#include "DefaultJob.h"
#include "GCodeReader.h"
#include "JobRecords.h"
#include "PngWriter.h"
#include "SettingWords.h"
#include "ToolLibrary.h"
#include "toolpath/Toolpath.h"

TEST(HostTools, FileAndOptionsMakeEndMills) {
  host::ToolLibrary tools;
  tools.readText("# comment\nT1 flat 6 40\n\nT2 ball 3.175 25.4  # a ball\nT3 bull 10 1 40\n", "tools.txt");
  tools.addOption("7:ball:4:30");
  EXPECT_TRUE(tools.has(1) && tools.has(2) && tools.has(3) && tools.has(7));
  EXPECT_FALSE(tools.has(4));
  const std::vector<SIM_ProfilePoint> bull = host::profileOf(tools.mills().at(3));
  ASSERT_EQ(bull.size(), 5u);
  EXPECT_EQ(bull[1].x, 4.0f) << "the flat of the tip";
  EXPECT_EQ(bull[2].segment, uint32_t{SIM_SEGMENT_ARC_CCW});
  EXPECT_EQ(bull[2].x, 5.0f);
  EXPECT_EQ(bull[2].y, 1.0f);
  EXPECT_EQ(bull[2].centreX, 4.0f);
  const SIM_ToolTableRecord table = tools.record();
  ASSERT_EQ(table.toolCount, 4u);
  EXPECT_STREQ(table.tools[3].name, "T7");
  EXPECT_EQ(table.tools[0].parts[0].axis[1], 1.0) << "the spindle axis in tool coordinates";
  EXPECT_EQ(table.tools[0].turning, uint32_t{SIM_TURNING_NONE});

  // LinuxCNC's tool table: flat mills of diameter D, as long as |Z| or four
  // diameters; an entry without D is refused.
  host::ToolLibrary linuxcnc;
  linuxcnc.readText("T1 P1 D6.35 Z-25 ;quarter inch\nT2\tP2 X0 D3\nT3 bull 10 1 40\n", "tool.tbl");
  EXPECT_EQ(linuxcnc.mills().at(1).kind, host::HostTool::Kind::Flat);
  EXPECT_EQ(linuxcnc.mills().at(1).diameter, 6.35);
  EXPECT_EQ(linuxcnc.mills().at(1).length, 25);
  EXPECT_EQ(linuxcnc.mills().at(2).length, 12);
  EXPECT_EQ(linuxcnc.mills().at(3).kind, host::HostTool::Kind::BullNose) << "the two forms mix";
  EXPECT_THROW(linuxcnc.readText("T4 P4 Z10\n", "tool.tbl"), host::ToolError);

  // Lathe inserts: closed outlines led by their lowest point.
  host::ToolLibrary lathe;
  lathe.readText("T1 turn 55 0.4\nT2 groove 3 0.2\nT3 groove 2 0\n", "lathe.txt");
  const SIM_ToolTableRecord inserts = lathe.record();
  ASSERT_EQ(inserts.toolCount, 3u);
  const uint32_t kinds[] = {SIM_TURNING_TURN, SIM_TURNING_GROOVE, SIM_TURNING_GROOVE};
  for (size_t t = 0; t < 3; ++t) {
    EXPECT_EQ(inserts.tools[t].turning, kinds[t]);
    const SIM_ToolPart& outline = inserts.tools[t].parts[0];
    ASSERT_GE(outline.pointCount, 5u);
    const SIM_ProfilePoint &first = outline.points[0], &last = outline.points[outline.pointCount - 1];
    EXPECT_NEAR(first.x, last.x, 1e-5) << t;
    EXPECT_NEAR(first.y, last.y, 1e-5) << t;
    float lowest = 1e9f, left = 1e9f, right = -1e9f;
    for (uint64_t p = 0; p < outline.pointCount; ++p) {
      lowest = std::min(lowest, outline.points[p].y);
      left = std::min(left, outline.points[p].x);
      right = std::max(right, outline.points[p].x);
    }
    if (t == 0) {  // the nose, an arc about (r, r) from the tip it leads with
      EXPECT_EQ(last.segment, uint32_t{SIM_SEGMENT_ARC_CW});
      EXPECT_NEAR(last.centreX, 0.4f, 1e-5);
      EXPECT_NEAR(last.centreY, 0.4f, 1e-5);
      EXPECT_GE(left, -1e-5f) << "nothing of the insert before its tip";
      EXPECT_GE(lowest, -1e-5f);
    } else {
      EXPECT_NEAR(lowest, 0.0f, 1e-5) << t;
      EXPECT_NEAR(right - left, t == 1 ? 3.0f : 2.0f, 1e-5) << "the blade's width";
    }
  }

  auto errorOf = [](const std::string& text) {
    try {
      host::ToolLibrary t;
      t.readText(text, "tools.txt");
    } catch (const host::ToolError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(errorOf("T1 drill 6 40\n"), "tools.txt:1: unknown tool kind 'drill' (flat, ball, bull, vee, punch, turn or groove)");
  EXPECT_EQ(errorOf("\nT1 flat 6\n"), "tools.txt:2: flat needs a diameter and a length");
  EXPECT_EQ(errorOf("T1 bull 6 4 40\n"), "tools.txt:1: the corner radius is larger than half the diameter");
  EXPECT_EQ(errorOf("T1 ball -3 40\n"), "tools.txt:1: the diameter must be a positive number, got '-3'");
  EXPECT_EQ(errorOf("T1 turn 120 0.4\n"), "tools.txt:1: the included angle lies outside 20 to 90 degrees");
  EXPECT_EQ(errorOf("T1 groove 3 2\n"), "tools.txt:1: the corner radius is larger than half the width");
  EXPECT_EQ(errorOf("T1 vee 6 5 40\n"), "tools.txt:1: the included angle lies outside 10 to 170 degrees");
  EXPECT_EQ(errorOf("T1 vee 6 20 8\n"), "tools.txt:1: the length is shorter than the tool's point");
  EXPECT_EQ(errorOf("T1 vee 6 90\n"), "tools.txt:1: vee needs a diameter, an included angle and a length");
  EXPECT_EQ(errorOf("T1 punch 2.5 6 40\n"), "tools.txt:1: the number of sides is not a whole number from 3 to 120");
  EXPECT_EQ(errorOf("T1 punch 6 40\n"),
            "tools.txt:1: punch needs a number of sides, a diameter across the flats and a length");
  EXPECT_THROW(host::ToolLibrary().addOption("x:flat:1:2"), host::ToolError);

  // A punch keeps its flats: the tool's part says how many.
  host::ToolLibrary punch;
  punch.addOption("4:punch:6:8:30");
  const SIM_ToolTableRecord punches = punch.record();
  EXPECT_EQ(punches.tools[0].parts[0].polygonSides, 6u);
  EXPECT_EQ(punches.tools[0].parts[0].points[1].x, 4.0f) << "the flats at half the diameter";
}

TEST(HostToolpath, ToolChangesAndArcsAsTheViewSeesThem) {
  const host::Program program = host::readGCode(
      "T1 M6\nG0 X20 Y0 Z1\nG1 Z0 F100\nG3 X0 Y20 I-20 J0\nT2 M6\nG2 X20 Y0 R20\nG18 G3 X40 Z0 I10 K0\n", "job.nc");
  const host::ToolpathArrays arrays = host::toolpathOf(program);
  // Start, change, 3 moves, change, 2 moves.
  ASSERT_EQ(arrays.moves.size(), 8u);
  ASSERT_EQ(arrays.toolChanges.size(), 2u);
  EXPECT_STREQ(arrays.toolChanges[0].name, "T1");
  EXPECT_EQ(arrays.toolChanges[0].move, 1u);
  EXPECT_EQ(arrays.toolChanges[1].move, 5u);
  EXPECT_EQ(arrays.lines[5], 5u);
  EXPECT_EQ(arrays.feeds[2], host::kRapidFeed);

  toolpath::Toolpath path = toolpath::Toolpath::fromRecord(arrays.record());
  // Each tool's run is an operation, the start with the first.
  ASSERT_EQ(path.operationCount(), 2u);
  EXPECT_EQ(path.operation(0).first, 0u);
  EXPECT_EQ(path.operation(0).end, 5u);
  EXPECT_EQ(path.operation(1).first, 5u);
  EXPECT_EQ(path.operation(1).end, 8u);
  EXPECT_EQ(path.operation(1).identifier, 2u);
  // G3 from (20, 0) about the origin to (0, 20): through (14.1, 14.1).
  const glm::dvec3 ccw = path.arcOf(4).pointAt(0.5);
  EXPECT_NEAR(ccw.x, 20 / std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(ccw.y, 20 / std::sqrt(2.0), 1e-6);
  // G2 back the same way round.
  const glm::dvec3 cw = path.arcOf(6).pointAt(0.5);
  EXPECT_NEAR(cw.x, 20 / std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(cw.y, 20 / std::sqrt(2.0), 1e-6);
  // G18 G3 from (20, 0, 0) about (30, 0, 0): counter-clockwise seen from +Y
  // turns -x towards +z, so half way it is straight above the centre.
  const glm::dvec3 zx = path.arcOf(7).pointAt(0.5);
  EXPECT_NEAR(zx.x, 30, 1e-6);
  EXPECT_NEAR(zx.z, 10, 1e-6);

  // M1 stops before the next move: an optional-stop event there; one after
  // the last move stops nowhere.
  const host::ToolpathArrays stops =
      host::toolpathOf(host::readGCode("T1 M6\nG0 X1\nM1\nG1 X2 F100\nG1 X3 M1\nG1 X4\nM1\n", "job.nc"));
  const std::vector<toolpath::MoveEvent> optional =
      toolpath::Toolpath::fromRecord(stops.record()).eventsOfCategory(1);
  ASSERT_EQ(optional.size(), 2u);
  EXPECT_EQ(stops.moves[optional[0].move].end[0], 2.0) << "the M1 line's next move";
  EXPECT_EQ(stops.moves[optional[1].move].end[0], 4.0) << "M1 in a block with motion: before the next";

  // A lathe program's own moves turn; the start and the tool change stand.
  EXPECT_TRUE(arrays.flags.empty()) << "a mill's moves have no flags";
  const host::ToolpathArrays lathe =
      host::toolpathOf(host::readGCode("T0101\nG0 X12 Z2\nG1 Z-10 F50\n", "job.nc", {true, {}, 0}));
  const uint16_t turning = SIM_MOVE_FLAG_TURNING;
  EXPECT_EQ(lathe.flags, (std::vector<uint16_t>{0, 0, turning, turning}));
  EXPECT_EQ(toolpath::Toolpath::fromRecord(lathe.record()).flagUnion(), turning);
}

// The view settings by name: every name, and words that are none.
TEST(HostSettingWords, NamesGiveTheViewsValues) {
  EXPECT_EQ(host::unitNamed("inch"), 1u);
  EXPECT_EQ(host::unitNamed("mm"), 0u);
  EXPECT_EQ(host::themeCommandNamed("dark"), uint32_t{SIM_COMMAND_DARK_THEME});
  EXPECT_EQ(host::themeCommandNamed("light"), uint32_t{SIM_COMMAND_LIGHT_THEME});
  EXPECT_EQ(host::sectionNamed("X+"), 1u);
  EXPECT_EQ(host::sectionNamed("none"), 6u);
  EXPECT_EQ(host::colourByNamed("operation"), host::ColourBy::Operation);
  EXPECT_EQ(host::stopConditionsNamed("tool,rapid,optional"), 0x0100'0000'0001'0001ull);
  EXPECT_EQ(host::stopConditionsNamed("none"), 0u);
  EXPECT_EQ(host::stopConditionsNamed("limits,machine,holder,spindle,operation"), 0x0001'0101'0100'0100ull);
  for (const char* word : {"", "MM", "0.5", "tool,", ",tool", "tool,,rapid", "x+", "grey"}) {
    EXPECT_FALSE(host::unitNamed(word)) << word;
    EXPECT_FALSE(host::themeCommandNamed(word)) << word;
    EXPECT_FALSE(host::sectionNamed(word)) << word;
    EXPECT_FALSE(host::stopConditionsNamed(word)) << word;
    EXPECT_FALSE(host::colourByNamed(word)) << word;
  }
  using Lines = std::optional<std::pair<uint32_t, uint32_t>>;
  const std::tuple<const char*, const char*, Lines> ranges[] = {
      {"3", "", std::pair{3u, 3u}},   {"2", "4", std::pair{2u, 4u}},  {"7", "7", std::pair{7u, 7u}},
      {"2147483647", "", std::pair{2147483647u, 2147483647u}},        {"4", "2", std::nullopt},
      {"0", "3", std::nullopt},       {"1.5", "", std::nullopt},      {"2", "3x", std::nullopt},
      {"-1", "", std::nullopt},       {"2147483648", "", std::nullopt}, {"", "", std::nullopt},
      {"+2", "", std::nullopt},       {"2", "99999999999", std::nullopt}};
  for (const auto& [first, last, lines] : ranges) EXPECT_EQ(host::lineRangeNamed(first, last), lines) << first << " " << last;
}

// The pawn's facing passes start at X13.5, its finish at Z3.241, and its
// last cut ends at Z-38.1.
TEST(HostToolpath, ABarAroundALatheProgram) {
  host::BarStock bar;
  ASSERT_TRUE(host::barAround(host::readGCodeFile(KORVANE_TEST_DATA "/lathe_pawn.ngc", {true, {}, 0}), bar));
  EXPECT_DOUBLE_EQ(bar.diameter, 27.0);
  EXPECT_DOUBLE_EQ(bar.front, 3.241);
  EXPECT_NEAR(bar.length, 3.241 + 38.1 + 5, 1e-9);
  EXPECT_FALSE(host::barAround(host::readGCode("G0 X5 Z1\n", "job.nc", {true, {}, 0}), bar)) << "no feed moves";
}

TEST(HostToolpath, StockAroundTheFeedMoves) {
  const host::Program program =
      host::readGCode("T1 M6\nG0 X0 Y0 Z5\nG1 Z-3 F100\nX50\nY20\nG0 Z5\nX200 Y200\n", "job.nc");
  host::StockBox box;
  ASSERT_TRUE(host::stockAround(program, 3, box));
  EXPECT_EQ(box.min.x, -3);
  EXPECT_EQ(box.max.x, 53);
  EXPECT_EQ(box.max.y, 23) << "rapids do not count";
  EXPECT_EQ(box.min.z, -4);
  EXPECT_EQ(box.max.z, 0) << "Z0 on top";
  EXPECT_FALSE(host::stockAround(host::readGCode("G0 X1\n", "job.nc"), 3, box));
  // An arc's bulge counts: a half circle below the start of radius 10.
  ASSERT_TRUE(host::stockAround(host::readGCode("T1 M6\nG0 X0 Y0 Z5\nG1 Z-1 F100\nG3 X20 Y0 I10 J0\n", "job.nc"), 0, box));
  EXPECT_NEAR(box.min.y, -10, 1e-9);
  EXPECT_NEAR(box.max.y, 0, 1e-9);
}

TEST(HostPng, ChunksAndPixelsReadBack) {
  const uint32_t width = 3, height = 2;
  std::vector<uint8_t> rgba(width * height * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 7);
  const std::vector<uint8_t> png = host::pngImage(rgba, width, height);
  ASSERT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  // Walk the chunks, checking each CRC, and gather the image data.
  size_t at = 8;
  std::vector<uint8_t> packed;
  std::vector<std::string> types;
  auto big = [&](size_t p) { return uint32_t(png[p]) << 24 | uint32_t(png[p + 1]) << 16 | uint32_t(png[p + 2]) << 8 | png[p + 3]; };
  while (at + 12 <= png.size()) {
    const uint32_t length = big(at);
    types.emplace_back(reinterpret_cast<const char*>(&png[at + 4]), 4);
    EXPECT_EQ(big(at + 8 + length), crc32(0, &png[at + 4], length + 4)) << types.back();
    if (types.back() == "IHDR") {
      EXPECT_EQ(big(at + 8), width);
      EXPECT_EQ(big(at + 12), height);
      EXPECT_EQ(png[at + 16], 8);
      EXPECT_EQ(png[at + 17], 6);
    }
    if (types.back() == "IDAT") packed.insert(packed.end(), &png[at + 8], &png[at + 8 + length]);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  std::vector<uint8_t> raw((width * 4 + 1) * height);
  uLongf rawSize = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &rawSize, packed.data(), packed.size()), Z_OK);
  ASSERT_EQ(rawSize, raw.size());
  for (uint32_t y = 0; y < height; ++y) {
    EXPECT_EQ(raw[y * (width * 4 + 1)], 0);
    EXPECT_EQ(std::memcmp(&raw[y * (width * 4 + 1) + 1], &rgba[y * width * 4], width * 4), 0);
  }
}

TEST(HostDefaultJob, ReadsAndUsesOnlyItsOwnTools) {
  const host::Program program = host::readGCode(host::defaultJobProgram(), "main-job.nc");
  host::ToolLibrary tools;
  tools.readText(host::defaultJobTools(), "main-job tools");
  ASSERT_EQ(program.toolChanges.size(), 3u);
  for (const host::ProgramToolChange& change : program.toolChanges) EXPECT_TRUE(tools.has(change.tool));
  size_t arcs = 0;
  for (const host::ProgramMove& m : program.moves) {
    arcs += m.motion == host::Motion::ArcCounterClockwise;
    EXPECT_GE(m.end.x, -1.0);
    EXPECT_LE(m.end.x, 81.0);
  }
  EXPECT_EQ(arcs, 8u);
  EXPECT_GT(program.moves.size(), 1000u);
}
