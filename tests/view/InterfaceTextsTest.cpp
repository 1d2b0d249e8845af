// The interface's texts: the built-in languages, the host's 176 slots and
// what a new view starts from.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"
#include "ui/ProcessStrings.h"
#include "ui/StringTable.h"
#include "ui/UIManager.h"

namespace {

// The process-wide table is shared: every test leaves it as it found it.
class InterfaceTexts : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override { UI::ProcessStrings::instance().reset(); }
  void TearDown() override {
    if (view) testsupport::HeadlessViewTest::TearDown();
    UI::ProcessStrings::instance().reset();
  }
  void openView() { testsupport::HeadlessViewTest::SetUp(); }
};

bool hasNonAscii(const std::u16string& text) {
  for (char16_t c : text)
    if (c > 0x7F) return true;
  return false;
}

TEST(BuiltInLanguages, EveryLanguageHasEveryEntryInItsOwnWords) {
  const UI::StringTable& english = UI::englishStrings();
  EXPECT_EQ(english[0], u"X");
  EXPECT_EQ(english[41], u"Z-");
  EXPECT_EQ(english[190], u"Save\npresentation");
  struct Language {
    int32_t code;
    bool ownScript;  // written mostly outside ASCII
  };
  for (const Language language : {Language{0, false}, {1, false}, {3, false}, {4, false}, {5, false}, {6, false},
                                  {7, true}, {8, true}, {9, true}, {10, true}}) {
    SCOPED_TRACE(language.code);
    const UI::StringTable& table = UI::builtInStrings(language.code);
    size_t translated = 0, foreignScript = 0;
    for (size_t i = 0; i < UI::kStringCount; ++i) {
      EXPECT_EQ(table[i].empty(), UI::reservedString(i)) << "entry " << i;
      // Hints keep their title and description apart.
      if (i >= 220 && !UI::reservedString(i)) {
        EXPECT_NE(table[i].find(u'\n'), std::u16string::npos) << i;
      }
      translated += table[i] != english[i];
      foreignScript += hasNonAscii(table[i]);
    }
    EXPECT_GT(translated, 200u);
    if (language.ownScript) {
      EXPECT_GT(foreignScript, 200u);
    }
  }
  EXPECT_NE(UI::builtInStrings(9), UI::builtInStrings(10)) << "two Chinese scripts";
  for (int32_t code : {2, -1, 11, 99}) EXPECT_EQ(UI::builtInStrings(code), english) << code;
}

TEST_F(InterfaceTexts, HostSlotsMapOntoTheTable) {
  // Each slot's own text, with a CJK word and a character beyond the basic
  // plane (a surrogate pair); the host frees its texts as soon as the call
  // returns.
  std::vector<std::u16string> texts;
  for (size_t slot = 0; slot < SIM_STRING_SLOTS; ++slot)
    texts.push_back(u"slot " + std::u16string(1, static_cast<char16_t>(u'A' + slot % 26)) +
                    std::u16string(1, static_cast<char16_t>(u'0' + slot / 26)) + u" \u5207\u524A \U0001F527");
  auto hostCopies = std::make_unique<std::vector<std::u16string>>(texts);
  SIM_StringRecord record{};
  for (size_t slot = 0; slot < SIM_STRING_SLOTS; ++slot) record.text[slot] = (*hostCopies)[slot].c_str();
  const SIM_StringRecord defaults = SIM_GetStrings();
  EXPECT_EQ(std::u16string(defaults.text[41]), u"Z-");
  EXPECT_EQ(std::u16string(defaults.text[175]), u"Abort");
  const std::vector<std::u16string> english(defaults.text, defaults.text + SIM_STRING_SLOTS);
  ASSERT_EQ(SIM_SetStrings(&record), 0);  // the table's pointers in defaults are stale now
  for (std::u16string& text : *hostCopies) std::fill(text.begin(), text.end(), u'#');
  hostCopies.reset();
  const SIM_StringRecord back = SIM_GetStrings();
  for (size_t slot = 0; slot < SIM_STRING_SLOTS; ++slot) {
    const std::u16string expected = slot <= 90 ? texts[slot] : english[slot];
    EXPECT_EQ(std::u16string(back.text[slot]), expected) << "slot " << slot;
  }
  // Slot 43 is entry 49, 61 is 68; entries between stay English.
  const UI::StringTable table = UI::ProcessStrings::instance().forNewView().table;
  EXPECT_EQ(table[49], texts[43]);
  EXPECT_EQ(table[68], texts[61]);
  EXPECT_EQ(table[97], texts[90]);
  for (size_t entry : {43u, 48u, 67u, 98u}) EXPECT_EQ(table[entry], UI::englishStrings()[entry]) << entry;
}

TEST_F(InterfaceTexts, HostileRecordsLeaveATableToDrawFrom) {
  EXPECT_EQ(SIM_SetStrings(nullptr), -1);
  SIM_StringRecord record{};  // every slot null: nothing changes
  ASSERT_EQ(SIM_SetStrings(&record), 0);
  EXPECT_EQ(UI::ProcessStrings::instance().forNewView().table, UI::englishStrings());
  const char16_t unpaired[] = {u'a', 0xD800, u'b', 0xDC00, 0};
  const std::u16string huge(100000, u'w');
  record.text[0] = unpaired;
  record.text[1] = huge.c_str();
  record.text[2] = u"";
  ASSERT_EQ(SIM_SetStrings(&record), 0);
  const UI::StringTable table = UI::ProcessStrings::instance().forNewView().table;
  EXPECT_EQ(table[0], std::u16string(unpaired));
  EXPECT_EQ(table[1], std::u16string(4096, u'w'));
  EXPECT_EQ(table[2], u"");
  EXPECT_EQ(SIM_Localize(-1), 0);
  EXPECT_EQ(SIM_Localize(99), 0);
}

// A view takes the table when it is made: the language picked last, unless
// the host's texts came after it.
TEST_F(InterfaceTexts, NewViewsTakeTheLanguageOrTheHostTexts) {
  ASSERT_EQ(SIM_Localize(1), 0);
  openView();
  auto texts = [&] { return onRenderThread([&] { return view->strings(); }); };
  EXPECT_EQ(texts(), UI::builtInStrings(1));
  TearDown();
  view = nullptr;

  ASSERT_EQ(SIM_Localize(7), 0);
  SIM_StringRecord record{};
  record.text[12] = u"Werkzeug (host)";
  ASSERT_EQ(SIM_SetStrings(&record), 0);
  openView();
  const UI::StringTable hostTable = texts();
  EXPECT_EQ(hostTable[12], u"Werkzeug (host)");
  EXPECT_EQ(hostTable[13], UI::englishStrings()[13]) << "the language was cancelled";
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().isOpen(); })) << "headless: no interface";
}

// A view with a window draws its interface from an atlas of its own texts.
TEST_F(InterfaceTexts, TheInterfaceAtlasHoldsTheViewsLanguage) {
  ASSERT_EQ(SIM_Localize(7), 0);
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  SIM_Hint(SIM_HINT_START_HIDDEN, 1);
  view = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_START_HIDDEN, 0);
  ASSERT_NE(view, nullptr);
  const char16_t machine = UI::builtInStrings(7)[176][0];  // "Machine" in Japanese
  ASSERT_GT(machine, 0x7F);
  const bool drawn = onRenderThread([&] {
    UI::UIManager* manager = view->interfaceFrame().manager();
    return manager && manager->atlas().glyphOf(machine) != 0;
  });
  EXPECT_TRUE(drawn);
}

}  // namespace
