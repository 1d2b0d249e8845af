// The files a view keeps between uses: the sealed document encoding, the
// saved state's layout and what a damaged file reads as, replacing writes,
// and the folders the environment names.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/CustomSettings.h"
#include "formats/SetupFile.h"
#include "formats/SimDocument.h"
#include "platform/Folders.h"
#include "platform/WholeFile.h"

namespace {

std::vector<uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TEST(SavedFiles, DocumentsAreSealedSectionStreams) {
  // Three bytes fold in one by one; ten make one group of eight and two left over.
  EXPECT_EQ(formats::documentChecksum(bytesOf("abc")), 6402377339899873448ull);
  EXPECT_EQ(formats::documentChecksum(bytesOf("abcdefghij")), 10504895890489486425ull);
  EXPECT_EQ(formats::documentChecksum({}), formats::kDocumentChecksumStart);

  // A section inside a section comes back as it went in.
  std::vector<uint8_t> inner, outer;
  formats::appendSection(inner, 7, bytesOf("payload"));
  formats::appendSection(inner, 8, {});
  formats::appendSection(outer, 3, inner);
  formats::sealDocument(outer);
  const auto body = formats::unsealedDocument(outer);
  ASSERT_TRUE(body);
  const auto top = formats::sectionsOf(*body);
  ASSERT_TRUE(top && top->size() == 1);
  EXPECT_EQ((*top)[0].tag, 3u);
  const auto nested = formats::sectionsOf((*top)[0].payload);
  ASSERT_TRUE(nested && nested->size() == 2);
  EXPECT_EQ(std::string((*nested)[0].payload.begin(), (*nested)[0].payload.end()), "payload");
  EXPECT_EQ((*nested)[1].tag, 8u);
  EXPECT_TRUE((*nested)[1].payload.empty());
  // A length past the end is no stream.
  EXPECT_FALSE(formats::sectionsOf(std::span(inner).first(inner.size() - 1)));
  EXPECT_FALSE(formats::sectionsOf(std::span(inner).first(5)));
}

TEST(SavedFiles, TheSavedStateRoundTripsAndDamageReadsAsNothing) {
  formats::SetupState state;
  state.answers = {{1, true}, {2, false}, {56, true}, {0xFFFFFFFF, true}};
  state.bytes = {1, 3, 0, 1};
  const std::vector<uint8_t> file = formats::encodeSetup(state);
  EXPECT_EQ(formats::decodeSetup(file), state);
  EXPECT_EQ(formats::decodeSetup(formats::encodeSetup({})), formats::SetupState{});

  for (size_t length = 0; length < file.size(); ++length)
    EXPECT_FALSE(formats::decodeSetup(std::span(file).first(length))) << "cut at " << length;
  for (size_t bit = 0; bit < 8 * file.size(); ++bit) {
    std::vector<uint8_t> flipped = file;
    flipped[bit / 8] ^= uint8_t(1u << (bit % 8));
    EXPECT_FALSE(formats::decodeSetup(flipped)) << "bit " << bit;
  }
  // Sealed but not of this layout: another format number, an answer byte
  // that is no bool, the bytes section missing.
  auto sealed = [](std::vector<uint8_t> body) {
    formats::sealDocument(body);
    return body;
  };
  std::vector<uint8_t> answers;
  formats::appendU32(answers, 1);
  formats::appendU32(answers, 9);
  answers.push_back(2);
  std::vector<uint8_t> otherFormat, badAnswer, noBytes;
  formats::appendU32(otherFormat, 2);
  formats::appendU32(badAnswer, 1);
  formats::appendSection(badAnswer, 0, answers);
  formats::appendSection(badAnswer, 1, std::vector<uint8_t>(4));
  answers.back() = 1;
  formats::appendU32(noBytes, 1);
  formats::appendSection(noBytes, 0, answers);
  for (const auto& body : {otherFormat, badAnswer, noBytes}) EXPECT_FALSE(formats::decodeSetup(sealed(body)));
  // A section of a later format is passed over.
  std::vector<uint8_t> later = noBytes;
  formats::appendSection(later, 9, bytesOf("later"));
  formats::appendSection(later, 1, std::vector<uint8_t>{1, 2, 0, 0});
  const auto read = formats::decodeSetup(sealed(later));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->answers, (std::map<uint32_t, bool>{{9, true}}));
}

// Every member is optional and one of the wrong type keeps its default.
TEST(SavedFiles, CustomSettingsTakeWhatHasTheRightType) {
  using formats::CustomSettings;
  auto with = [](auto change) {
    CustomSettings s;
    change(s);
    return s;
  };
  const std::pair<const char*, CustomSettings> cases[] = {
      {R"({"UI": {"ToolpathLineWidth": 3}})", with([](CustomSettings& s) { s.toolpathLineWidth = 3; })},
      {R"({"UI": {"ToolpathPointSizeLarge": 9.5, "GridGhostAlpha": 0.5, "OffscreenGdiScalingRenderScale": 2}})",
       with([](CustomSettings& s) {
         s.toolpathPointSizeLarge = 9.5f;
         s.gridGhostAlpha = 0.5f;
         s.offscreenRenderScale = 2;
       })},
      {R"({"Colors": {"CrossSection": {"Plane": [1, 0, 0], "Stock": [1, 0, 0, 0.5]}}})",
       with([](CustomSettings& s) { s.sectionStock = formats::Rgba{1, 0, 0, 0.5f}; })},
      {R"({"Colors": {"CrossSection": {"Workpiece": [1, 0, 0, 0, 1], "StockAndWorkpiece": [0, "1", 0, 1]}}})", {}},
      {R"({"UI": {"ToolpathLineWidth": "3", "GridLabelPixels": true, "GridFadeMinPixels": null}})", {}},
      {R"({"UI": 5, "Colors": {"CrossSection": [1, 0, 0, 1]}})", {}},
      {R"({"UI": {"GridFadeMaxPixels": 1e999, "GridLabelPixels": 1e300}})", {}},  // beyond a float
      {R"([{"UI": {"ToolpathLineWidth": 3}}])", {}},
      {R"({"UI": {"ToolpathLineWidth": 3})", {}},  // not JSON
      {"", {}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(formats::readCustomSettings(text), expected) << text;
  // Every member with a value of every wrong type keeps its default.
  const char* numbers[] = {"ToolpathLineWidth", "ToolpathLineWidthLarge", "ToolpathPointSize", "ToolpathPointSizeLarge",
                           "OffscreenGdiScalingRenderScale", "GridLabelPixels", "GridFadeMinPixels",
                           "GridFadeMaxPixels", "GridGhostAlpha"};
  const char* colours[] = {"Plane", "Stock", "Workpiece", "StockAndWorkpiece"};
  const char* wrongForBoth[] = {"\"2\"", "true", "null", "{}", "[]", "{\"a\": 1}", "-1e999"};
  for (const char* value : wrongForBoth) {
    for (const char* name : numbers) {
      const std::string text = std::string(R"({"UI": {")") + name + "\": " + value + "}}";
      EXPECT_EQ(formats::readCustomSettings(text), CustomSettings{}) << text;
    }
    for (const char* name : colours) {
      const std::string text = std::string(R"({"Colors": {"CrossSection": {")") + name + "\": " + value + "}}}";
      EXPECT_EQ(formats::readCustomSettings(text), CustomSettings{}) << text;
    }
  }
  EXPECT_EQ(formats::readCustomSettings(R"({"UI": {"GridGhostAlpha": [0.5, 0.5, 0.5, 0.5]}})"), CustomSettings{});
  EXPECT_EQ(formats::readCustomSettings(R"({"Colors": {"CrossSection": {"Stock": 0.5}}})"), CustomSettings{});
  // Nesting past the reader's limit is no JSON of ours either.
  EXPECT_EQ(formats::readCustomSettings(std::string(5000, '[') + std::string(5000, ']')), CustomSettings{});
}

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("korvane-saved-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

using WholeFiles = ScratchFolder;

TEST_F(WholeFiles, WritersRacingForOneFileLeaveOneOfThemWhole) {
  const std::filesystem::path target = folder_ / "state.bin";
  EXPECT_FALSE(platform::readWholeFile(target)) << "missing";
  EXPECT_FALSE(platform::readWholeFile(folder_)) << "a folder";
  const std::vector<uint8_t> a(100000, 'a'), b(70000, 'b');
  auto writer = [&](const std::vector<uint8_t>& bytes) {
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(platform::replaceWholeFile(target, bytes));
  };
  std::thread first(writer, std::cref(a)), second(writer, std::cref(b));
  first.join();
  second.join();
  const auto read = platform::readWholeFile(target);
  ASSERT_TRUE(read);
  EXPECT_TRUE(*read == a || *read == b);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1) << "no partial file is left";

  // A pipe is not waited for; a file past the limit is not read.
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(platform::readWholeFile(folder_ / "pipe"));
  EXPECT_FALSE(platform::readWholeFile(target, 1000));
  EXPECT_TRUE(platform::readWholeFile(target, 100000));
  std::filesystem::remove(folder_ / "pipe");

  // A folder where the file should be is not replaced.
  std::filesystem::create_directories(folder_ / "taken.bin");
  EXPECT_FALSE(platform::replaceWholeFile(folder_ / "taken.bin", a));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "taken.bin"));
  EXPECT_FALSE(platform::replaceWholeFile(folder_ / "missing" / "state.bin", a));

  // A write that fails part way (here: past the process's file size limit,
  // as a full disk would) keeps the old file whole.
  ASSERT_TRUE(platform::replaceWholeFile(target, b));
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool replaced = platform::replaceWholeFile(target, a);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(platform::readWholeFile(target), b);
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_)) ++files;
  EXPECT_EQ(files, 2u) << "the partial file is gone (the folder keeps state.bin and taken.bin)";
}

using Folders = ScratchFolder;

TEST_F(Folders, TheEnvironmentAndTheHostNameThem) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string before = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  const std::filesystem::path settings = folder_ / "TARVOSimulationViewer" / "";
  EXPECT_EQ(platform::settingsFolder(), settings);
  EXPECT_TRUE(std::filesystem::is_directory(settings)) << "made when missing";
  // A relative value is ignored: the home folder's .config is used.
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", (folder_ / "home").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(platform::settingsFolder(), folder_ / "home" / ".config" / "TARVOSimulationViewer" / "");
  ::setenv("HOME", home.c_str(), 1);
  // The data folder, from its own variable, made when missing too.
  const char* savedData = std::getenv("XDG_DATA_HOME");
  const std::string dataBefore = savedData ? savedData : "";
  ::setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
  EXPECT_EQ(platform::dataFolder(), folder_ / "data" / "Tarvo" / "");
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "data" / "Tarvo"));
  if (savedData) ::setenv("XDG_DATA_HOME", dataBefore.c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
  // The host's folder takes the settings along.
  platform::setDataFolder((folder_ / "host").string());
  EXPECT_EQ(platform::settingsFolder(), folder_ / "host" / "");
  EXPECT_EQ(platform::dataFolder(), folder_ / "host" / "");
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "host"));
  platform::setDataFolder("");
  ::setenv("XDG_CONFIG_HOME", before.c_str(), 1);
  if (!saved) ::unsetenv("XDG_CONFIG_HOME");

  const char* tmp = std::getenv("TMPDIR");
  const std::string tmpBefore = tmp ? tmp : "";
  ::setenv("TMPDIR", "not/absolute", 1);
  EXPECT_EQ(platform::temporaryFolder(), "/tmp");
  ::setenv("TMPDIR", folder_.c_str(), 1);
  EXPECT_EQ(platform::temporaryFolder(), folder_);
  if (tmp) ::setenv("TMPDIR", tmpBefore.c_str(), 1); else ::unsetenv("TMPDIR");
}

}  // namespace
