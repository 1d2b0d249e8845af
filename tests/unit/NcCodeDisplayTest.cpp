// The NC program texts the host hands over and what the interface shows of
// them: lines counted from 1 whatever ends them, the line playing and its
// subprogram found through the toolpath's line map, the status bar cutting
// a long line to the room it has, and the subprogram panel marking the line
// playing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/ToolpathBuilder.h"
#include "support/UIFrames.h"
#include "toolpath/Toolpath.h"
#include "ui/NcCodeModel.h"
#include "ui/StatusBar.h"
#include "ui/SubProgramHUD.h"
#include "view/NcCodeFollower.h"

namespace {

using testing_support::ToolpathBuilder;

TEST(NcCode, TextsSplitIntoLinesCountedFromOne) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  for (const Case& c : {Case{"G0 X0\r\nG1 X1\n\nM30", {"G0 X0", "G1 X1", "", "M30"}},
                        Case{"A\nB\n", {"A", "B"}},
                        Case{"\n", {""}},
                        Case{"only", {"only"}},
                        Case{"", {}},
                        Case{nullptr, {}}}) {
    const UI::NcFile file(c.text, nullptr, 0);
    ASSERT_EQ(file.lineCount(), c.lines.size()) << (c.text ? c.text : "null");
    for (size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(file.line(uint32_t(i + 1)), c.lines[i]);
    EXPECT_EQ(file.line(0), "");
    EXPECT_EQ(file.line(uint32_t(c.lines.size() + 1)), "");
  }
  // The values come along only with both their pointer and their count.
  const uint32_t values[] = {7, 8};
  EXPECT_EQ(UI::NcFile("a\nb", values, 2).values(), (std::vector<uint32_t>{7, 8}));
  EXPECT_TRUE(UI::NcFile("a\nb", values, 0).values().empty());
  EXPECT_TRUE(UI::NcFile("a\nb", nullptr, 2).values().empty());

  UI::NcCodeModel model;
  const uint64_t start = model.revision();
  model.setProgram(UI::NcFile("G0\nG1\nG2", nullptr, 0));
  model.setSubprograms({UI::NcFile("O1\nG1 X1", nullptr, 0)});
  EXPECT_EQ(model.revision(), start + 2);
  EXPECT_EQ(model.lineText(UI::NcCodeModel::kMainProgram, 2), "G1");
  EXPECT_EQ(model.lineText(0, 2), "G1 X1");
  EXPECT_EQ(model.lineText(1, 1), "") << "no such subprogram";
  EXPECT_EQ(model.lineText(-2, 1), "");
  const auto window = model.lines(UI::NcCodeModel::kMainProgram, 0, 3);
  ASSERT_EQ(window.size(), 2u) << "line 0 does not exist";
  EXPECT_EQ(window[0], (std::pair<uint32_t, std::string>{1, "G0"}));
  EXPECT_EQ(model.lines(UI::NcCodeModel::kMainProgram, 3, 5).size(), 1u);
  EXPECT_TRUE(model.lines(UI::NcCodeModel::kMainProgram, 0xFFFFFFFFu, 2).empty());
}

// Moves on main-program lines 1, 2 and 5 and on global line 11, which the
// line map puts at line 2 of subprogram 0.
struct SubprogramJob {
  ToolpathBuilder b;
  std::vector<uint32_t> local = {1, 2, 3, 4};
  std::vector<SIM_SubprogramLines> map = {{0, 10, 14, 0, local.data()}};
  std::shared_ptr<const toolpath::Toolpath> path;
  UI::NcCodeModel code;

  SubprogramJob() {
    b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 5}), 1)
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 5}), 2)
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 10, 5}), 11)
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 10, 5}), 5);
    SIM_ToolpathRecord r = b.record();
    r.subprogramCount = 1;
    r.subprograms = map.data();
    path = std::make_shared<const toolpath::Toolpath>(toolpath::Toolpath::fromRecord(r));
    code.setProgram(UI::NcFile("G0 Z5\nG1 X10\nM98 P100\n(end)\nG1 X0", nullptr, 0));
    code.setSubprograms({UI::NcFile("O100 (POCKET)\n\tG1 Y10\nG1 X5\nM99", nullptr, 0)});
  }
  view::PlayedPosition at(int64_t move) const {
    view::PlayedPosition p;
    p.toolpath = path;
    p.at.move = move;
    return p;
  }
};

TEST(NcCode, FollowerFindsTheLinePlayingInItsFile) {
  SubprogramJob job;
  view::NcCodeFollower follower;

  ASSERT_TRUE(follower.follow(job.at(1), job.code, false, 3));
  EXPECT_EQ(follower.status().line, 2u);
  EXPECT_EQ(follower.status().code, u"G1 X10");
  EXPECT_FALSE(follower.subprogram().inside);
  EXPECT_DOUBLE_EQ(follower.status().totalLength, job.path->totalLength());
  EXPECT_FALSE(follower.follow(job.at(1), job.code, false, 3)) << "nothing changed";

  // Global line 11 is the subprogram's line 2; the panel gets lines 1 to 4,
  // tabs and leading blanks dropped.
  ASSERT_TRUE(follower.follow(job.at(2), job.code, false, 3));
  EXPECT_EQ(follower.status().line, 11u);
  EXPECT_EQ(follower.status().code, u"G1 Y10");
  const UI::SubprogramValues& sub = follower.subprogram();
  EXPECT_TRUE(sub.inside);
  EXPECT_EQ(sub.title, u"O100 (POCKET)");
  EXPECT_EQ(sub.current, 2u);
  ASSERT_EQ(sub.lines.size(), 4u);
  EXPECT_EQ(sub.lines.front(), (std::pair<uint32_t, std::u16string>{1, u"O100 (POCKET)"}));
  EXPECT_EQ(sub.lines.back(), (std::pair<uint32_t, std::u16string>{4, u"M99"}));

  // New texts and another unit are shown at once; a subprogram text that
  // ends before the line playing shows no panel.
  job.code.setSubprograms({UI::NcFile("O100", nullptr, 0)});
  ASSERT_TRUE(follower.follow(job.at(2), job.code, false, 3));
  EXPECT_FALSE(follower.subprogram().inside);
  EXPECT_EQ(follower.status().code, u"");
  EXPECT_EQ(follower.status().line, 11u);
  ASSERT_TRUE(follower.follow(job.at(2), job.code, true, 4));
  EXPECT_TRUE(follower.status().inch);
  ASSERT_TRUE(follower.follow(job.at(2), job.code, true, 2)) << "other decimals are shown at once";
  EXPECT_EQ(follower.status().decimals, 2);

  // Before anything plays, and without a toolpath.
  ASSERT_TRUE(follower.follow(job.at(-1), job.code, true, 4));
  EXPECT_TRUE(follower.status().hasToolpath);
  EXPECT_EQ(follower.status().line, 0u);
  ASSERT_TRUE(follower.follow(view::PlayedPosition{}, job.code, true, 4));
  EXPECT_FALSE(follower.status().hasToolpath);
}

TEST(NcCode, TheOpenPanelListsTheReportedLineAndTheHostsSelection) {
  SubprogramJob job;
  view::NcCodeFollower follower;
  std::string program;
  for (int k = 1; k <= 30; ++k) program += "N" + std::to_string(k) + "\n";
  job.code.setProgram(UI::NcFile(program.c_str(), nullptr, 0));
  constexpr uint32_t kContext = view::NcCodeFollower::kListingContext;
  const auto numbers = [&] {
    std::vector<uint32_t> n;
    for (const auto& line : follower.subprogram().lines) n.push_back(line.first);
    return n;
  };
  const auto from = [](uint32_t first, uint32_t last) {
    std::vector<uint32_t> n;
    for (uint32_t k = first; k <= last; ++k) n.push_back(k);
    return n;
  };

  struct Case {
    const char* name;
    int64_t move;
    view::NcCodeListing listing;
    std::vector<uint32_t> lines;
    uint32_t current, selectedFirst, selectedLast;
    bool inside;
  };
  const Case cases[] = {
      {"closed, main program: nothing listed", 1, {}, {}, 0, 0, 0, false},
      {"open before event 5: the line playing", 1, {true}, from(1, 2 + kContext), 2, 0, 0, false},
      {"open: the reported line, not the one playing", 1, {true, 20}, from(20 - kContext, 20 + kContext), 20, 0, 0, false},
      {"near the end", 0, {true, 29}, from(29 - kContext, 30), 29, 0, 0, false},
      {"the selection", 1, {true, 22, 20, 23}, from(22 - kContext, 22 + kContext), 22, 20, 23, false},
      {"a selection of one line", 1, {true, 22, 21, -1}, from(22 - kContext, 22 + kContext), 22, 21, 21, false},
      {"open, nothing playing", -1, {true}, from(1, 2 * kContext + 1), 0, 0, 0, false},
      {"a reported subprogram line", 1, {true, 11}, from(1, 4), 2, 0, 0, true},
      {"closed, in the subprogram", 2, {}, from(1, 4), 2, 0, 0, true},
      {"a line past the text", 1, {true, 40}, {}, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(follower.follow(job.at(c.move), job.code, false, 3, c.listing));
    const UI::SubprogramValues& v = follower.subprogram();
    EXPECT_EQ(numbers(), c.lines);
    EXPECT_EQ(v.current, c.lines.empty() ? 0u : c.current);
    EXPECT_EQ(v.selectedFirst, c.selectedFirst);
    EXPECT_EQ(v.selectedLast, c.selectedLast);
    EXPECT_EQ(v.inside, c.inside);
    EXPECT_EQ(v.listing, c.listing.open);
    EXPECT_EQ(v.title.empty(), !c.inside) << "only a subprogram is titled";
    EXPECT_EQ(follower.status().line, c.move == 2 ? 11u : c.move == 1 ? 2u : c.move == 0 ? 1u : 0u)
        << "the status bar keeps the line playing";
  }
  EXPECT_FALSE(follower.follow(job.at(1), job.code, false, 3, cases[std::size(cases) - 1].listing)) << "unchanged";
}

TEST(NcCode, StatusBarCutsTheLineToItsRoomAndRepeatsItsRecords) {
  testsupport::UIFrames frames(1200, 700);
  UI::StatusBar bar(&frames.context, &frames.theme, &UI::englishStrings());
  UI::StatusValues v;
  v.hasToolpath = true;
  v.line = 12;
  v.code = u"G1 X5";
  v.totalLength = 25.4;
  v.totalMinutes = 1.5;
  bar.show(v);
  frames.frame({&bar}, {-1, -1}, false);
  EXPECT_EQ(bar.lineText(), u"12: G1 X5");
  EXPECT_EQ(bar.totalsText(), u"Total Length 25.400 mm    Total Time 0:01:30");
  v.inch = true;
  v.decimals = 4;
  bar.show(v);
  EXPECT_EQ(bar.totalsText(), u"Total Length 1.0000 inch    Total Time 0:01:30");
  v.code.clear();
  bar.show(v);
  frames.frame({&bar}, {-1, -1}, false);
  EXPECT_EQ(bar.lineText(), u"12");
  const UI::Rect r = bar.getRect();
  EXPECT_FLOAT_EQ(r.w, 1.0f);
  EXPECT_FLOAT_EQ(r.h * 700, UI::StatusBar::kHeight);

  // A line longer than the room left beside the totals ends in "...".
  v.code = std::u16string(400, u'X');
  bar.show(v);
  const std::vector<UI::UIInstance> first = frames.frame({&bar}, {-1, -1}, false);
  const std::u16string& shown = bar.lineText();
  ASSERT_GT(shown.size(), 10u);
  EXPECT_LT(shown.size(), v.code.size());
  EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
  bar.show(v);
  const std::vector<UI::UIInstance> again = frames.frame({&bar}, {-1, -1}, false);
  ASSERT_EQ(first.size(), again.size());
  EXPECT_EQ(std::memcmp(first.data(), again.data(), first.size() * sizeof(UI::UIInstance)), 0);

  v = {};
  bar.show(v);
  frames.frame({&bar}, {-1, -1}, false);
  EXPECT_EQ(bar.lineText(), u"");
  EXPECT_EQ(bar.totalsText(), u"");
}

TEST(NcCode, SubprogramPanelMarksTheLinePlaying) {
  testsupport::UIFrames frames(1200, 700);
  UI::SubProgramHUD panel(&frames.context, &frames.theme);
  EXPECT_FALSE(panel.visible);
  UI::SubprogramValues v;
  v.inside = true;
  v.title = u"O100 (POCKET)";
  v.current = 9;
  v.lines = {{8, u"G1 X1"}, {9, u"G1 Y1"}, {10, u"M99"}};
  panel.show(v);
  frames.frame({&panel}, {-1, -1}, false);
  ASSERT_TRUE(panel.visible);
  ASSERT_EQ(panel.rowCount(), 4u);
  EXPECT_EQ(panel.row(0).text(), u"O100 (POCKET)");
  EXPECT_EQ(panel.row(2).text(), u" 9  G1 Y1") << "numbers right-aligned to the widest";
  EXPECT_EQ(panel.currentRow(), 2u);
  // The marker lies behind the current row's text.
  const UI::Rect marker = panel.marker().getRect(), text = panel.row(2).getRect();
  EXPECT_LE(marker.y, text.y);
  EXPECT_GE(marker.y + marker.h, text.y);
  EXPECT_GT(marker.y + marker.h, panel.row(3).getRect().y) << "below the next row's top";

  // The open panel lists main-program lines untitled, with the host's
  // selection behind rows 8 and 9.
  v.inside = false;
  v.listing = true;
  v.title.clear();
  v.selectedFirst = 7;
  v.selectedLast = 9;
  panel.show(v);
  frames.frame({&panel}, {-1, -1}, false);
  ASSERT_EQ(panel.rowCount(), 3u);
  EXPECT_EQ(panel.currentRow(), 1u);
  ASSERT_TRUE(panel.selectionMarker().visible);
  const UI::Rect selected = panel.selectionMarker().getRect();
  EXPECT_GE(selected.y + selected.h, panel.row(0).getRect().y);
  EXPECT_LE(selected.y, panel.row(1).getRect().y);
  EXPECT_GT(selected.y, panel.row(2).getRect().y) << "row 10 is not selected";

  v.listing = false;
  panel.show(v);
  EXPECT_FALSE(panel.visible);
  const std::vector<UI::UIInstance> hidden = frames.frame({&panel}, {-1, -1}, false);
  for (const UI::UIInstance& record : hidden) EXPECT_EQ(record.w * record.h, 0.0f) << "nothing drawn";
}

}  // namespace
