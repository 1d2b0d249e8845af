// Every real program of tests/data/gcode reads to moves: finite, each where
// the tool can be, in the order of its lines within its file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include <korvane/KorvaneGCode.h>

namespace {

using namespace korvane::gcode;

bool finite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

TEST(GCodeCorpus, EveryProgramReadsToFiniteMoves) {
  const std::string folder = KORVANE_TEST_DATA "/gcode";
  std::ifstream list(folder + "/programs.tsv");
  ASSERT_TRUE(list) << "programs.tsv";
  Options options;
  for (int t = 1; t <= 20; ++t) options.tools.push_back({t, 3.0, 30.0});
  options.toolInSpindle = 1;
  size_t programs = 0;
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::string file = line.substr(0, line.find('\t'));
    std::ifstream in(folder + "/" + file, std::ios::binary);
    ASSERT_TRUE(in) << file;
    std::ostringstream text;
    text << in.rdbuf();
    Options these = options;
    these.lathe = line.find("--lathe") != std::string::npos;
    Program p;
    try {
      p = interpret(text.str(), folder + "/" + file, these);
    } catch (const Error& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    ++programs;
    EXPECT_FALSE(p.moves.empty()) << file;
    bool anyFeed = false;
    for (const Move& m : p.moves) {
      ASSERT_TRUE(finite(m.end) && finite(m.centre) && finite(m.rotary) && std::isfinite(m.feed)) << file << ":" << m.line;
      ASSERT_GE(m.line, 1u) << file;
      ASSERT_LT(m.file, p.files.size()) << file;
      anyFeed = anyFeed || m.motion != Motion::Rapid;
    }
    EXPECT_TRUE(anyFeed) << file << " cuts nothing";
  }
  EXPECT_GE(programs, 30u);
}

}  // namespace
