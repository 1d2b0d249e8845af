// The presentation export's steps with a scripted user: what the save
// dialog offers, where the simulation file goes, the bundle as a common ZIP
// reader sees it, and the message of every outcome.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/WholeFile.h"
#include "view/PresentationExport.h"

namespace {

using Icon = platform::DialogProvider::Icon;

struct ScriptedUser : platform::DialogProvider {
  std::optional<std::string> answer;
  std::vector<std::string> offered;  // filter names of the last save dialog
  std::vector<std::pair<std::string, Icon>> messages;
  void messageBox(const std::string& title, const std::string& text, Icon icon) override {
    EXPECT_EQ(title, "TARVO Simulation");
    messages.emplace_back(text, icon);
  }
  std::optional<std::string> saveFile(const std::string& title, const std::string&,
                                      const std::vector<FileFilter>& filters) override {
    EXPECT_EQ(title, "TARVO Simulation");
    offered.clear();
    for (const FileFilter& f : filters) offered.push_back(f.name + " " + f.extension);
    return answer;
  }
  std::optional<platform::Rgb> chooseColour(const std::string&, platform::Rgb) override { return std::nullopt; }
};

class PresentationExport : public ::testing::Test {
 protected:
  std::filesystem::path folder, temporary;
  std::string oldTmp;
  void SetUp() override {
    char pattern[] = "/tmp/korvane-presentation-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    temporary = folder / "tmp";
    std::filesystem::create_directory(temporary);
    if (const char* tmp = std::getenv("TMPDIR")) oldTmp = tmp;
    ::setenv("TMPDIR", temporary.c_str(), 1);
  }
  void TearDown() override {
    if (oldTmp.empty()) ::unsetenv("TMPDIR");
    else ::setenv("TMPDIR", oldTmp.c_str(), 1);
    std::filesystem::remove_all(folder);
  }
};

TEST_F(PresentationExport, EachAnswerOfTheUserEndsInItsFileAndMessage) {
  const std::filesystem::path viewer = folder / "viewer";
  platform::replaceWholeFile(viewer, std::vector<uint8_t>(70000, 0x7f));  // enough to deflate
  std::vector<uint8_t> document(5000);
  for (size_t i = 0; i < document.size(); ++i) document[i] = uint8_t(i * 7);
  view::PresentationSource source;
  int asked = 0;  // times the document was asked for
  source.document = [&] {
    ++asked;
    return std::optional(document);
  };

  const std::string both = "Presentation Bundle .zip|Simulation File .TarvoSimData";
  const std::string plain = "Simulation File .TarvoSimData";
  const struct {
    const char* what;
    std::string viewer;
    std::optional<std::string> answer;
    std::string offered;
    std::optional<std::pair<std::string, Icon>> message;
    std::string written;  // the file that holds the document afterwards
  } cases[] = {
      {"no viewer", "", (folder / "plain.TarvoSimData").string(), plain,
       std::pair{"Simulation file successfully exported.", Icon::Information}, "plain.TarvoSimData"},
      {"a viewer that does not open", (folder / "none").string(), (folder / "a.zip").string(), plain,
       std::pair{"Simulation file successfully exported.", Icon::Information}, "a.zip"},
      {"a simulation file beside a viewer", viewer.string(), (folder / "b.TarvoSimData").string(), both,
       std::pair{"Simulation file successfully exported.", Icon::Information}, "b.TarvoSimData"},
      {"a folder that is not there", "", (folder / "no" / "c.TarvoSimData").string(), plain,
       std::pair{"Failed to save simulation file.", Icon::Error}, ""},
      {"a bundle in a folder that is not there", viewer.string(), (folder / "no" / "d.zip").string(), both,
       std::pair{"Failed to create presentation bundle.", Icon::Error}, ""},
      {"cancelled", viewer.string(), std::nullopt, both, std::nullopt, ""},
      {"an empty answer", viewer.string(), std::string(), both, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    ScriptedUser user;
    user.answer = c.answer;
    source.viewerProgram = c.viewer;
    asked = 0;
    view::runPresentationExport(source, user);
    // Only an answer asks the view for its document.
    EXPECT_EQ(asked, c.answer && !c.answer->empty() ? 1 : 0) << c.what;
    std::string offered;
    for (const std::string& o : user.offered) offered += (offered.empty() ? "" : "|") + o;
    EXPECT_EQ(offered, c.offered) << c.what;
    EXPECT_EQ(user.messages.size(), c.message ? 1u : 0u) << c.what;
    if (c.message && !user.messages.empty()) {
      EXPECT_EQ(user.messages[0], *c.message) << c.what;
    }
    if (!c.written.empty()) {
      EXPECT_EQ(platform::readWholeFile(folder / c.written), document) << c.what;
    }
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << c.what;
  }

  // A bundle that cannot be packed (a "viewer" that opens but cannot be
  // read: a folder) leaves the file that was there, and no part file.
  const std::vector<uint8_t> old = {1, 2, 3};
  platform::replaceWholeFile(folder / "show.zip", old);
  EXPECT_EQ(view::writePresentation(temporary.string(), document, (folder / "show.zip").string()),
            view::PresentationOutcome::NotBundled);
  EXPECT_EQ(platform::readWholeFile(folder / "show.zip"), old);
  EXPECT_FALSE(std::filesystem::exists(folder / "show.zip.part"));

  // The bundle: the viewer and the simulation file named after the
  // bundle, as Python's zipfile reads them; an old file there is replaced.
  ScriptedUser user;
  user.answer = (folder / "show.zip").string();
  source.viewerProgram = viewer.string();
  view::runPresentationExport(source, user);
  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_EQ(user.messages[0], std::pair(std::string("Presentation bundle successfully created."), Icon::Information));
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
  platform::replaceWholeFile(folder / "document", document);
  const std::string check =
      "python3 -c 'import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "assert z.testzip() is None\n"
      "assert z.namelist() == [\"TARVOSimulation.exe\", \"show.TarvoSimData\"], z.namelist()\n"
      "assert z.read(\"TARVOSimulation.exe\") == open(sys.argv[2], \"rb\").read()\n"
      "assert z.read(\"show.TarvoSimData\") == open(sys.argv[3], \"rb\").read()\n"
      "program = z.getinfo(\"TARVOSimulation.exe\")\n"
      "assert program.create_system == 3 and (program.external_attr >> 16) & 0o777 == 0o755\n"
      "assert z.getinfo(\"TARVOSimulation.exe\").compress_type == zipfile.ZIP_DEFLATED\n' " +
      (folder / "show.zip").string() + " " + viewer.string() + " " + (folder / "document").string();
  EXPECT_EQ(std::system(check.c_str()), 0);
}

}  // namespace
