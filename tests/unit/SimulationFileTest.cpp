// The simulation file's codec: every part survives a round trip, and a
// damaged or malformed file is refused with its reason, never read in part.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/SimDocument.h"
#include "formats/SimulationFile.h"

namespace {

using formats::SimulationFileError;

// A content with something in every part, lists included.
formats::SimulationContent everyPart() {
  formats::SimulationContent c;
  c.hostUnit = 1;
  formats::ToolpathRecordCopy& t = c.toolpath;
  for (int i = 0; i < 4; ++i) {
    SIM_ToolpathMove m{};
    m.type = i == 0 ? SIM_MOVE_RAPID : SIM_MOVE_LINEAR;
    m.end[0] = 1.25 * i;
    m.end[2] = -0.5 * i;
    t.moves.push_back(m);
    t.lineNumbers.push_back(10 * i);
    t.feeds.push_back(500 + i);
  }
  t.moveCount = t.moves.size();
  t.extraAxes.assign(12, 0.25);
  SIM_NamedMove change{};
  std::strcpy(change.name, "T1");
  t.toolChanges = {change};
  t.operations = {{0, 4, 7}};
  SIM_MoveEvent named{}, unnamed{};
  named.move = 1;
  named.categories = SIM_EVENT_CATEGORY_MESSAGE;
  named.payload[0] = 42;
  unnamed.move = 3;
  t.events = {named, unnamed};
  t.eventNames = {std::string("coolant on"), std::nullopt};
  t.subprograms = {{2, 1, 3, 0, nullptr}, {5, 3, 3, 0, nullptr}};
  t.subprogramLines = {{7, 8}, {}};
  t.textRecords[2].resize(1);
  t.textRecords[2][0].bytes[5] = 9;
  t.valueChanges = {{2, 0, {}, 1.5}};

  SIM_ToolRecord tool{};
  std::strcpy(tool.name, "T1");
  tool.partCount = 2;
  SIM_ToolPart part{};
  part.pointCount = 2;
  c.toolTable.tools = {tool, tool};
  tool.partCount = 0;
  c.toolTable.tools.push_back(tool);
  c.toolTable.parts = {part, part, part, part};
  c.toolTable.points.resize(8);
  c.toolTable.points[7].x = 3.0f;
  c.toolTable.holders.resize(1);
  c.toolTable.unitScale = 25.4;

  formats::StockContent stock;
  stock.record.identifier = 4;
  stock.meshPath = "/data/blank.stl";
  c.stocks = {stock};
  formats::GeometryContent geometry;
  std::strcpy(geometry.record.name, "vice");
  geometry.vertices.assign(9, 1.0f);
  geometry.record.vertexCount = 3;
  c.geometries = {geometry};
  c.files = {{"/data/blank.stl", {1, 2, 3}}};
  c.toggles = {{3, true}, {56, false}};
  formats::setSimValue(c, formats::kSimValuePlaybackPosition, 0.5);
  c.program = {"G0 X1\nG1 X2\n", {1, 2}};
  c.subprograms = {{"O100\n", {}}};
  SIM_KeyBinding binding{};
  binding.input = 2;
  binding.state = 1;
  binding.modifiers[1] = 1;
  binding.action = 4;
  c.bindings = {binding};
  return c;
}

TEST(SimulationFile, EveryPartSurvivesARoundTripAndWritesTheSameBytes) {
  const formats::SimulationContent written = everyPart();
  const std::vector<uint8_t> file = formats::encodeSimulation(written);
  EXPECT_EQ(file, formats::encodeSimulation(everyPart()));
  uint32_t format = 0;
  std::memcpy(&format, file.data(), 4);
  EXPECT_EQ(format, formats::kSimulationFormat);

  const formats::DecodedSimulation decoded = formats::decodeSimulation(file);
  ASSERT_TRUE(decoded.content);
  const formats::SimulationContent& read = *decoded.content;
  EXPECT_EQ(formats::encodeSimulation(read), file);
  // What the bytes alone could get wrong: lists split by counts, texts
  // beside records, absent arrays.
  ASSERT_EQ(read.toolpath.moves.size(), 4u);
  EXPECT_EQ(std::memcmp(read.toolpath.moves.data(), written.toolpath.moves.data(), 4 * sizeof(SIM_ToolpathMove)), 0);
  EXPECT_TRUE(read.toolpath.entityIds.empty());
  EXPECT_TRUE(read.toolpath.given.feeds && !read.toolpath.given.spindleSpeeds);
  EXPECT_EQ(read.toolpath.eventNames, written.toolpath.eventNames);
  EXPECT_EQ(read.toolpath.subprogramLines, written.toolpath.subprogramLines);
  const formats::ToolpathRecordView record = read.toolpath.view();
  ASSERT_EQ(record.record.eventCount, 2);
  EXPECT_STREQ(record.record.events[0].name, "coolant on");
  EXPECT_EQ(record.record.events[1].name, nullptr);
  EXPECT_EQ(record.record.subprograms[0].localLines[1], 8u);
  const formats::ToolTableView table = formats::toolTableView(read.toolTable);
  ASSERT_EQ(table.record.toolCount, 3u);
  EXPECT_EQ(table.record.tools[1].parts[1].points[1].x, 3.0f);
  EXPECT_EQ(table.record.tools[2].parts, nullptr);
  EXPECT_EQ(read.toolTable.unitScale, 25.4);
  EXPECT_EQ(read.stocks[0].meshPath, "/data/blank.stl");
  EXPECT_EQ(read.geometries[0].vertices.size(), 9u);
  EXPECT_EQ(read.files[0].bytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(read.toggles, written.toggles);
  EXPECT_EQ(formats::simValue<double>(read, formats::kSimValuePlaybackPosition), 0.5);
  EXPECT_EQ(read.subprograms.size(), 1u);
  ASSERT_EQ(read.bindings.size(), 1u);
  EXPECT_EQ(std::memcmp(&read.bindings[0], &written.bindings[0], 11), 0);
  EXPECT_EQ(read.bindings[0].action, 4u);

  // A machine section makes it format 15.
  formats::SimulationContent withMachine = everyPart();
  withMachine.machine = std::vector<uint8_t>{5, 6};
  const std::vector<uint8_t> file15 = formats::encodeSimulation(withMachine);
  std::memcpy(&format, file15.data(), 4);
  EXPECT_EQ(format, formats::kSimulationFormatWithMachine);
  ASSERT_TRUE(formats::decodeSimulation(file15).content);
  EXPECT_EQ(formats::decodeSimulation(file15).content->machine, withMachine.machine);
}

// A document of the given top-level sections, sealed as a file is.
std::vector<uint8_t> sealed(uint32_t format, const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& sections) {
  std::vector<uint8_t> document;
  formats::appendU32(document, format);
  for (const auto& [tag, payload] : sections) formats::appendSection(document, tag, payload);
  formats::sealDocument(document);
  return document;
}

std::vector<uint8_t> section(uint32_t tag, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> out;
  formats::appendSection(out, tag, payload);
  return out;
}

std::vector<uint8_t> joined(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(SimulationFile, DamagedAndMalformedFilesAreRefusedWithTheirReason) {
  const std::vector<uint8_t> file = formats::encodeSimulation(everyPart());
  // Cut anywhere, the checksum no longer matches (or nothing is left).
  for (size_t length = 0; length < file.size(); ++length) {
    const formats::DecodedSimulation d = formats::decodeSimulation({file.data(), length});
    ASSERT_FALSE(d.content) << length;
    ASSERT_NE(d.error, SimulationFileError::Malformed) << length;
  }
  for (size_t bit = 0; bit < file.size() * 8; bit += 37) {
    std::vector<uint8_t> flipped = file;
    flipped[bit / 8] ^= uint8_t(1u << (bit % 8));
    ASSERT_FALSE(formats::decodeSimulation(flipped).content) << bit;
  }

  const std::vector<uint8_t> document = {1, 0, 0, 0};  // host unit 1
  std::vector<uint8_t> moves(2 * sizeof(SIM_ToolpathMove));
  std::vector<uint8_t> oneFeed(sizeof(double));
  std::vector<uint8_t> pastItsEnd = section(1, moves);
  pastItsEnd[4] += 1;  // the moves' length one byte past the toolpath's end
  std::vector<uint8_t> tool(sizeof(SIM_ToolRecord));
  tool[56] = 1;  // one part, and no parts section
  const std::vector<uint8_t> noPartsTool(sizeof(SIM_ToolRecord));
  std::vector<uint8_t> twoMillimetres(8), inches(8);
  const double two = 2.0, inch = 25.4;
  std::memcpy(twoMillimetres.data(), &two, 8);
  std::memcpy(inches.data(), &inch, 8);
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    std::optional<SimulationFileError> error;  // none: read
  } cases[] = {
      {"the smallest file", sealed(14, {{0, document}}), std::nullopt},
      {"unknown tags skipped", sealed(14, {{0, document}, {1, joined({section(1, moves), section(99, {1})})}, {40, {}}}),
       std::nullopt},
      {"not sealed", std::vector<uint8_t>(40, 0), SimulationFileError::BadChecksum},
      {"format 13", sealed(13, {{0, document}}), SimulationFileError::UnknownFormat},
      {"15 without a machine", sealed(15, {{0, document}}), SimulationFileError::Malformed},
      {"14 with a machine", sealed(14, {{0, document}, {17, {}}}), SimulationFileError::Malformed},
      {"no document section", sealed(14, {}), SimulationFileError::Malformed},
      {"a section twice", sealed(14, {{0, document}, {0, document}}), SimulationFileError::Malformed},
      {"a length past its parent", sealed(14, {{0, document}, {1, pastItsEnd}}), SimulationFileError::Malformed},
      {"a part of a move", sealed(14, {{0, document}, {1, section(1, std::vector<uint8_t>(50))}}),
       SimulationFileError::Malformed},
      {"a feed for one of two moves", sealed(14, {{0, document}, {1, joined({section(1, moves), section(4, oneFeed)})}}),
       SimulationFileError::Malformed},
      {"a move list twice", sealed(14, {{0, document}, {1, joined({section(1, moves), section(1, moves)})}}),
       SimulationFileError::Malformed},
      {"names of events that are not there", sealed(14, {{0, document}, {1, section(19, {0})}}),
       SimulationFileError::Malformed},
      {"a part count past the parts",
       sealed(14, {{0, document}, {2, joined({section(0, oneFeed), section(1, tool)})}}), SimulationFileError::Malformed},
      {"a tool table without its unit", sealed(14, {{0, document}, {2, section(1, noPartsTool)}}),
       SimulationFileError::Malformed},
      {"a tool table in a unit of 2 mm",
       sealed(14, {{0, document}, {2, joined({section(0, twoMillimetres), section(1, noPartsTool)})}}),
       SimulationFileError::Malformed},
      {"a tool table in inches",
       sealed(14, {{0, document}, {2, joined({section(0, inches), section(1, noPartsTool)})}}), std::nullopt},
      {"a geometry with part of a triangle",
       sealed(14, {{0, document},
                   {4, section(0, joined({section(0, std::vector<uint8_t>(sizeof(SIM_GeometryRecord))),
                                          section(2, std::vector<uint8_t>(4 * 6))}))}}),
       SimulationFileError::Malformed},
      {"a toggle of 2", sealed(14, {{0, document}, {6, {1, 0, 0, 0, 3, 0, 0, 0, 2}}}), SimulationFileError::Malformed},
      {"a stock item of another tag", sealed(14, {{0, document}, {3, section(1, {})}}),
       SimulationFileError::Malformed},
      {"a binding cut short", sealed(14, {{0, document}, {9, std::vector<uint8_t>(14)}}),
       SimulationFileError::Malformed},
  };
  for (const auto& c : cases) {
    const formats::DecodedSimulation d = formats::decodeSimulation(c.file);
    EXPECT_EQ(d.content.has_value(), !c.error) << c.what;
    if (c.error && !d.content) {
      EXPECT_EQ(d.error, *c.error) << c.what;
    }
  }
}

}  // namespace
