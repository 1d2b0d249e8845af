// The desktop dialogs: what a colour answer reads as, the default provider
// without zenity (a cancelled dialog, the message on standard error), and a
// provider that tests put in its place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/Dialogs.h"

namespace {

TEST(Dialogs, ColourAnswers) {
  const std::pair<const char*, std::optional<platform::Rgb>> cases[] = {
      {"rgb(255,128,0)", platform::Rgb{255, 128, 0}}, {"rgba(1,2,3,0.5)", platform::Rgb{1, 2, 3}},
      {"#0a0B0c", platform::Rgb{10, 11, 12}},         {"rgb(256,0,0)", std::nullopt},
      {"rgb(1,2)", std::nullopt},                      {"#12345", std::nullopt},
      {"", std::nullopt},                              {"rgb(1,2,3) ", std::nullopt},
  };
  for (const auto& [answer, colour] : cases) EXPECT_EQ(platform::parseColourAnswer(answer), colour) << answer;
}

TEST(Dialogs, WithoutZenityADialogIsCancelledAndAMessageGoesToStandardError) {
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  setenv("PATH", "/nonexistent", 1);
  platform::setDialogProvider(nullptr);
  const std::shared_ptr<platform::DialogProvider> dialogs = platform::dialogs();
  EXPECT_EQ(dialogs->chooseColour("Color", {1, 2, 3}), std::nullopt);
  EXPECT_EQ(dialogs->saveFile("Save", "part.stl", {{"STL files", ".stl"}}), std::nullopt);
  testing::internal::CaptureStderr();
  dialogs->messageBox("Export", "Written", platform::DialogProvider::Icon::Information);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Export: Written\n");
  setenv("PATH", saved.c_str(), 1);

  // A provider of the test's own answers in its place, until it is reset.
  struct Scripted : platform::DialogProvider {
    void messageBox(const std::string&, const std::string&, Icon) override {}
    std::optional<std::string> saveFile(const std::string&, const std::string& name,
                                        const std::vector<FileFilter>&) override {
      return "/tmp/" + name;
    }
    std::optional<platform::Rgb> chooseColour(const std::string&, platform::Rgb) override { return platform::Rgb{9, 8, 7}; }
  };
  platform::setDialogProvider(std::make_shared<Scripted>());
  EXPECT_EQ(platform::dialogs()->chooseColour("Color", {}), (platform::Rgb{9, 8, 7}));
  EXPECT_EQ(platform::dialogs()->saveFile("Save", "a.stl", {}), "/tmp/a.stl");
  platform::setDialogProvider(nullptr);
  EXPECT_NE(dynamic_cast<Scripted*>(platform::dialogs().get()), platform::dialogs().get());
}

}  // namespace
