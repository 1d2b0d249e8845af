// Lines read into words, O-words and parameter settings; parameters kept
// per call and globally; every mistake at its column.
#include <gtest/gtest.h>

#include <string>

#include "gcode/Block.h"
#include "gcode/Error.h"
#include "gcode/Parameters.h"

namespace {

using namespace korvane::gcode;

// The interpreter's state, as a test sets it.
struct FixedState : PublishedValues {
  std::optional<double> named(const std::string& name) const override {
    return name == "_x" ? std::optional<double>(x) : std::nullopt;
  }
  double numbered(int number) const override { return number == 5420 ? x : 0; }
  double x = 0;
};

TEST(GCodeBlock, WordsCodesSettingsAndOWords) {
  FixedState state;
  Parameters parameters(state);
  parameters.set({1, ""}, 2, 1);
  const Block b = blockOf(blockTextOf("N10 G1 g90 X[#1 * 3] y-2.5 M3 S1000 #2 = [#1 + 1] #<depth>=4 (cut)"), parameters);
  ASSERT_TRUE(b.lineNumber);
  EXPECT_EQ(b.lineNumber->value, 10);
  ASSERT_EQ(b.gCodes.size(), 2u);
  EXPECT_EQ(codeOf(b.gCodes[0]), 10);
  EXPECT_EQ(codeOf(b.gCodes[1]), 900);
  ASSERT_EQ(b.mCodes.size(), 1u);
  EXPECT_EQ(b['x'], 6);
  EXPECT_EQ(b['y'], -2.5);
  EXPECT_EQ(b['s'], 1000);
  EXPECT_EQ(b.words.at('x').column, 12u);
  ASSERT_EQ(b.assignments.size(), 2u);
  EXPECT_EQ(b.assignments[0].ref.number, 2);
  EXPECT_EQ(b.assignments[0].value, 3) << "values read before the line's settings take effect";
  EXPECT_EQ(b.assignments[1].ref.name, "depth");
  EXPECT_EQ(codeOf(blockOf(blockTextOf("G59.3"), parameters).gCodes[0]), 593);

  const struct {
    const char* line;
    const char* label;
    OKeyword keyword;
  } oWords[] = {
      {"o100 sub", "100", OKeyword::Sub},          {"O0100 ENDSUB", "100", OKeyword::EndSub},
      {"o<Probe Edge> call [1] [2]", "<probeedge>", OKeyword::Call},
      {"n5 o101 if [#1 gt 0]", "101", OKeyword::If}, {"o101 elseif [1]", "101", OKeyword::ElseIf},
      {"o101 else", "101", OKeyword::Else},        {"o101 endif", "101", OKeyword::EndIf},
      {"o102 do", "102", OKeyword::Do},            {"o102 while [#1 lt 3]", "102", OKeyword::While},
      {"o102 endwhile", "102", OKeyword::EndWhile}, {"o103 repeat [4]", "103", OKeyword::Repeat},
      {"o103 endrepeat", "103", OKeyword::EndRepeat}, {"o103 break", "103", OKeyword::Break},
      {"o103 continue", "103", OKeyword::Continue}, {"o100 return [#1]", "100", OKeyword::Return},
  };
  for (const auto& o : oWords) {
    // The condition names a parameter nobody set: it is not read yet.
    const Block ob = blockOf(blockTextOf(o.line), parameters);
    ASSERT_TRUE(ob.oWord) << o.line;
    EXPECT_EQ(ob.oWord->label, o.label) << o.line;
    EXPECT_EQ(ob.oWord->keyword, o.keyword) << o.line;
  }
  const Block call = blockOf(blockTextOf("o<x> call [1] [#<unset>]"), parameters);
  EXPECT_EQ(blockTextOf("o<x> call [1] [#<unset>]").text.substr(call.oWord->expressionsAt), "[1][#<unset>]");
  EXPECT_FALSE(oWordOf(blockTextOf("G0 X1")));
}

TEST(GCodeBlock, MistakesAtTheirColumns) {
  const struct {
    const char* line;
    size_t column;
    const char* reason;
  } cases[] = {
      {"G1 X1 X2", 7, "X appears twice on the line"},
      {"G1 N10", 4, "a line number must come first"},
      {"G1 o100 sub", 4, "an O-word must begin its line"},
      {"G1 X1 $", 7, "unexpected '$'"},
      {"#1 X2", 4, "a parameter setting lacks its '='"},
      {"o sub", 1, "an O-word needs a number or a <name>"},
      {"o100 jump", 6, "an O-word needs a keyword (sub, call, if, while, ...)"},
      {"G1 (open", 4, "a comment is left open"},
      {"G1 X[1", 7, "an expression lacks its closing ']'"},
  };
  FixedState state;
  Parameters parameters(state);
  for (const auto& c : cases) {
    try {
      blockOf(blockTextOf(c.line), parameters);
      ADD_FAILURE() << c.line << " was read";
    } catch (const LineError& e) {
      EXPECT_EQ(std::string(e.what()), c.reason) << c.line;
      EXPECT_EQ(e.column(), c.column) << c.line;
    }
  }
  EXPECT_THROW(codeOf({'g', 38.25, 1}), LineError) << "two decimals";
}

TEST(GCodeParameters, CallsKeepTheirOwnAndShareTheGlobals) {
  FixedState state;
  Parameters p(state);
  const auto get = [&](const ParameterRef& ref) { return p.value(ref, 1); };
  p.set({1, ""}, 11, 1);
  p.set({0, "local"}, 1, 1);
  p.set({0, "_global"}, 2, 1);
  p.set({100, ""}, 3, 1);
  p.enterCall({7, 8}, 1);
  EXPECT_EQ(get({1, ""}), 7) << "the first argument";
  EXPECT_EQ(get({3, ""}), 0) << "arguments not passed are zero";
  EXPECT_FALSE(p.exists("local"));
  EXPECT_THROW(get({0, "local"}), LineError);
  EXPECT_EQ(get({0, "_global"}), 2);
  EXPECT_EQ(get({100, ""}), 3) << "numbers above 30 are shared";
  p.set({0, "local"}, 5, 1);
  p.set({0, "_global"}, 6, 1);
  p.leaveCall();
  EXPECT_EQ(get({1, ""}), 11);
  EXPECT_EQ(get({0, "local"}), 1);
  EXPECT_EQ(get({0, "_global"}), 6);

  state.x = 1.5;
  EXPECT_EQ(get({5420, ""}), 1.5) << "read when asked for";
  EXPECT_EQ(get({0, "_x"}), 1.5);
  EXPECT_TRUE(p.exists("_x"));
  EXPECT_FALSE(p.exists("_y")) << "a name the state does not answer is the program's own";
  EXPECT_THROW(p.set({5420, ""}, 0, 1), LineError);
  EXPECT_THROW(p.set({0, "_x"}, 0, 1), LineError);
  EXPECT_THROW(p.set({0, ""}, 1, 1), LineError);
  EXPECT_THROW(get({5603, ""}), LineError);
  EXPECT_THROW(get({-1, ""}), LineError);

  for (int depth = 0; depth < Parameters::kMaxCallDepth; ++depth) p.enterCall({}, 1);
  EXPECT_THROW(p.enterCall({}, 1), LineError) << "a recursion without end stops";
}

}  // namespace
