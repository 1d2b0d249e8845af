// korvane-view run as a host would be: a real program played to the end
// leaves a closed STL and a PNG, the same bytes however it got there; bad
// input stops it with a message and a non-zero exit.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <algorithm>
#include <cmath>
#include <vector>
#include <string>

#include <stb_image.h>

#include "formats/StlReader.h"
#include "support/SoupFacts.h"
#include "support/PrivateDisplay.h"
#include "support/X11TestWindow.h"

#include <X11/keysym.h>
#include <chrono>
#include <thread>

namespace {

struct Finished {
  int exitCode = -1;
  std::string output;
};

Finished run(const std::string& arguments) {
  Finished r;
  const std::string command = std::string(KORVANE_VIEW) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) r.output += buffer;
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class HostRun : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = std::filesystem::temp_directory_path() / ("korvane-host-" + std::to_string(::getpid()));
    std::filesystem::create_directories(out_);
    }
  void TearDown() override { std::filesystem::remove_all(out_); }
  std::filesystem::path out_;
};

}  // namespace

TEST_F(HostRun, ARealProgramLeavesAClosedStlAndAPicture) {
  const Finished r = run("--headless --tool 1:ball:3.175:25.4 --stock 0,0,-20,80,80,0 --quality 0.3 --size 320x200 --out " +
                    out_.string() + " " KORVANE_TEST_DATA "/bear.nc");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const formats::StlVertices soup = formats::readStl((out_ / "bear.stl").string());
  ASSERT_GT(soup.size(), 3000u);
  // Closed; the relief lies in the box, and the deepest cut (17.4 mm, a
  // 1.6 mm ball) shows.
  float lowestTop = 0, minX = 1e9f, maxX = -1e9f;
  for (const formats::StlVertex& a : soup) {
    minX = std::min(minX, a.x);
    maxX = std::max(maxX, a.x);
    if (a.x > 1 && a.x < 79 && a.y > 1 && a.y < 79 && a.z > -19.9f) lowestTop = std::min(lowestTop, a.z);
  }
  EXPECT_TRUE(testsupport::factsOf(soup).closed);
  EXPECT_NEAR(minX, 0.0f, 0.05f);
  EXPECT_NEAR(maxX, 80.0f, 0.05f);
  EXPECT_NEAR(lowestTop, -17.4f, 0.4f);
  EXPECT_GT(std::filesystem::file_size(out_ / "bear.png"), 1000u);
}

// The round trip: a run's solid as the design of a coarser run lies within
// one of its cells all over (no far colour among the stock's pixels).
TEST_F(HostRun, ARunsSolidAsTheDesignOfACoarserRunComparesWithinOneCell) {
  const Finished r = run("--headless --tool 1:ball:3.175:25.4 --stock 0,0,-20,80,80,0 --quality 0.3 --size 320x200 "
                         "--no-toolpath --no-tool --out " + out_.string() + " " KORVANE_TEST_DATA "/bear.nc");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::filesystem::path again = out_ / "again";
  const Finished compared =
      run("--headless --tool 1:ball:3.175:25.4 --stock 0,0,-20,80,80,0 --quality 0.2 --size 320x200 --no-stl "
          "--no-toolpath --no-tool --timings --design " + (out_ / "bear.stl").string() + " --compare -0.37,0.37 --out " +
          again.string() + " " KORVANE_TEST_DATA "/bear.nc");
  ASSERT_EQ(compared.exitCode, 0) << compared.output;
  const size_t cellAt = compared.output.find("(cell ");
  ASSERT_NE(cellAt, std::string::npos) << compared.output;
  EXPECT_GE(std::stod(compared.output.substr(cellAt + 6)), 0.37) << "the range is one coarse cell";
  int width = 0, height = 0, channels = 0;
  unsigned char* rgb = stbi_load((again / "bear.png").c_str(), &width, &height, &channels, 3);
  ASSERT_NE(rgb, nullptr);
  int stock = 0, far = 0;
  for (int i = 0; i < width * height; ++i) {
    const int r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
    if (std::abs(r - g) < 8 && std::abs(g - b) < 8) continue;  // the grey background
    ++stock;
    if ((r > 90 && r > 1.6 * g && r > 1.6 * b) || (b > 90 && b > 1.6 * r && b > 1.6 * g)) ++far;
  }
  stbi_image_free(rgb);
  EXPECT_GT(stock, width * height / 4);
  EXPECT_LT(far, stock / 200) << far << " of " << stock << " pixels beyond the range";
}

TEST_F(HostRun, PlayedOrCutAtOnceTheSameSolidByteForByte) {
  // Lines, arcs with a helical part and full circles: moves that frames
  // end inside of at different places on every run.
  const std::filesystem::path program = out_ / "knots.nc";
  std::ofstream(program) << "G21 G90 G17\nT1 M6\nG0 X0 Y0 Z2\nG1 Z-1 F300\nG1 X20 Y5\nG2 X20 Y5 I-5 J3 Z-2\n"
                            "G3 X5 Y15 R12\nG1 X3 Y3 Z-0.5\nG2 X3 Y3 I4 J0 Z-2.5\nG2 X3 Y3 I4 J0 Z-3\nG0 Z5\nM30\n";
  auto solidOf = [&](const std::string& how, const std::string& options) {
    const std::filesystem::path dir = out_ / how;
    const Finished r = run("--headless --no-png --tool 1:ball:3:30 --stock -6,-6,-5,32,30,0 --quality 0.3 " + options +
                           " --out " + dir.string() + " " + program.string());
    EXPECT_EQ(r.exitCode, 0) << how << ": " << r.output;
    std::ifstream stl(dir / "knots.stl", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stl), {});
  };
  const std::string played = solidOf("played", "");
  ASSERT_GT(played.size(), 84u + 50u * 1000u) << "a solid of more than a thousand triangles";
  EXPECT_TRUE(solidOf("played-again", "") == played);
  EXPECT_TRUE(solidOf("at-once", "--at-once") == played);
}

TEST_F(HostRun, ADeepPlungeGivesTheRightSolidOrSaysTheCellsAreTooCoarse) {
  // A 6 mm end mill plunged to Z-depth in a stock 6 mm wide, then across
  // the bottom: the stock (16 x 6 x depth + 1 mm) keeps the slab beside the
  // hole and the 1 mm under the tool.
  struct Case {
    int depth;
    bool fine;  // cells of at most a quarter of the tool's radius
  };
  for (const Case c : {Case{1000, true}, Case{100000, false}}) {
    const std::string name = "plunge" + std::to_string(c.depth);
    const std::filesystem::path program = out_ / (name + ".nc");
    std::ofstream(program) << "G21 G90\nT1 M6\nG0 X0 Y0 Z1\nG1 Z-" << c.depth << " F100\nG1 X10\nM30\n";
    const Finished r = run("--headless --no-png --tool 1:flat:6:30 --out " + out_.string() + " " + program.string());
    if (!c.fine) {
      EXPECT_EQ(r.exitCode, 1) << r.output;
      EXPECT_NE(r.output.find("are coarser than a quarter of the smallest tool's radius"), std::string::npos) << r.output;
      continue;
    }
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const formats::StlVertices soup = formats::readStl((out_ / (name + ".stl")).string());
    const testsupport::SoupFacts facts = testsupport::factsOf(soup);
    EXPECT_TRUE(facts.closed);
    // The block less the hole above the slot, less the slot's 30 mm across
    // the whole section. Slivers thinner than a cell where the hole meets
    // the sides are lost: under a square millimetre of the section.
    const double d = c.depth, section = 16.0 * 6;
    const double expected = section * (d + 1) - M_PI * 9 * (d - 30) - section * 30;
    EXPECT_NEAR(facts.volume, expected, 0.8 * d) << name;
  }
}

// The volume an STL file encloses.
double enclosedVolume(const std::filesystem::path& path) {
  return testsupport::factsOf(formats::readStl(path.string())).volume;
}

// The pawn turned with the table's only insert: a part well inside its
// bar, the same from the radius program and from its diameter twin, played
// or cut at once; read as a mill's program, G7 is refused.
TEST_F(HostRun, ALatheProgramTurnsWithTheTablesOnlyTool) {
  const std::string common = "--headless --no-png --tool 1:turn:35:0.4 --out " + out_.string() + " ";
  Finished r = run(common + "--at-once --lathe " KORVANE_TEST_DATA "/lathe_pawn_g7.ngc");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find(" moves, 1 tool changes"), std::string::npos) << r.output;
  std::filesystem::rename(out_ / "lathe_pawn_g7.stl", out_ / "twin.stl");
  r = run(common + "--lathe " KORVANE_TEST_DATA "/lathe_pawn.ngc");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const double bar = M_PI * 13.5 * 13.5 * 46.3, part = enclosedVolume(out_ / "lathe_pawn.stl");
  EXPECT_NE(r.output.find("bar of 27 mm diameter, 46.3 mm long"), std::string::npos) << r.output;
  EXPECT_GT(part, 0.2 * bar);
  EXPECT_LT(part, 0.6 * bar);
  EXPECT_EQ(std::filesystem::file_size(out_ / "twin.stl"), std::filesystem::file_size(out_ / "lathe_pawn.stl"));
  EXPECT_DOUBLE_EQ(enclosedVolume(out_ / "twin.stl"), part);

  r = run(common + KORVANE_TEST_DATA "/lathe_pawn_g7.ngc");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.output.find("lathe_pawn_g7.ngc: the feed moves span no volume"), std::string::npos) << r.output;
}

// The moves as the interpreter made them, one a line, with the program's
// messages; --spindle puts a tool of a larger table in the spindle.
TEST_F(HostRun, PrintsTheMovesItPlays) {
  const std::filesystem::path program = out_ / "job.nc";
  std::ofstream(program) << "G0 X0 Y0 Z1\nG1 Z-1 F100\nG2 X10 Y0 I5 J0\n(MSG, done)\n";
  const std::string common = "--headless --no-png --no-stl --print-moves --stock -10,-10,-5,20,10,0 --out " + out_.string();
  const Finished r = run(common + " --tool 1:flat:3:20 " + program.string());
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (const char* line : {"tool T1\n", "2 line X0.0000 Y0.0000 Z-1.0000 F100\n",
                           "3 arc-cw X10.0000 Y0.0000 Z-1.0000 centre 5.0000,0.0000,-1.0000 axis 0,0,1 F100\n",
                           "job.nc:4:  done\n"})
    EXPECT_NE(r.output.find(line), std::string::npos) << line << " in\n" << r.output;
  const std::string table = common + " --tool 1:flat:3:20 --tool 2:ball:6:30 ";
  EXPECT_EQ(run(table + program.string()).exitCode, 2) << "two tools, none in the spindle";
  EXPECT_EQ(run(table + "--spindle 2 " + program.string()).exitCode, 0);
  const Finished missing = run(table + "--spindle 9 " + program.string());
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.output.find("--spindle 9: no such tool"), std::string::npos) << missing.output;
}

TEST_F(HostRun, BadInputStopsWithAMessage) {
  const std::string out = " --headless --out " + out_.string() + " ";
  const std::filesystem::path bad = out_ / "bad.nc";
  std::ofstream(bad) << "T1 M6\nG0 X0 Y0\nG2 X10 Y0 I4 F100\n";
  const std::pair<std::string, const char*> explained[] = {
      {"/nonexistent/job.nc", "/nonexistent/job.nc: cannot be read"},
      {"--tool 1:flat:6:30 " + bad.string(), "bad.nc:3:1: the arc's radius is 4 at its start and 6 at its end"},
      {KORVANE_TEST_DATA "/bear.nc", "bear.nc:1: tool T1 is not defined"}};
  for (const auto& [arguments, message] : explained) {
    const Finished r = run(out + arguments);
    EXPECT_EQ(r.exitCode, 2) << arguments;
    EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
  }
  for (const char* refused : {"--tool 1:drill:6:30", "--frobnicate", "--interactive", "--color-by speed",
                               "--toolpath-mode 11", "--stop-at 1.5", "--geometry vise.stl",
                               "--geometry fixture:/nonexistent/vise.stl", "--lathe", "--bar 10", "--bar -1,5",
                               "--bar 10,5 --stock 0,0,0,1,1,1", "--tool 1:turn:95:0.4",
                               "--tool 1:groove:2:1.5", "--tool 1:turn:55", "--compare -0.1,0.1",
                               "--compare 0.2,0.1 --design /dev/null", "--design /nonexistent/part.stl"}) {
    const Finished r = run(out + refused);
    EXPECT_EQ(r.exitCode, 2) << refused << ": " << r.output;
  }
}

// The display options reach the view: a job stopped half way with points,
// tool colours, the marked mode and a fixture model still writes its picture.
TEST_F(HostRun, DisplayOptionsAndAStopHalfWay) {
  const std::filesystem::path model = out_ / "clamp.stl";
  std::ofstream(model) << "solid c\nfacet normal 0 0 1\nouter loop\nvertex -20 -20 0\nvertex -10 -20 0\n"
                          "vertex -10 -10 0\nendloop\nendfacet\nendsolid c\n";
  const Finished r = run("--headless --no-stl --size 320x200 --points --vectors --color-by tool --toolpath-mode 9 "
                         "--stop-at 0.5 --theme dark --units inch --section X+ --colour-by operation "
                         "--command 69 --nc-selection 2,4 --settings-dir " + (out_ / "settings").string() +
                         " --geometry fixture:" + model.string() + " --out " + out_.string());
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("played to the stop"), std::string::npos) << r.output;
  EXPECT_TRUE(std::filesystem::is_directory(out_ / "settings" / "TARVOSimulationViewer")) << "--settings-dir";
  EXPECT_GT(std::filesystem::file_size(out_ / "main-job.png"), 1000u);
}

// --keep-open: lines on standard input run commands, answer questions and
// write pictures; the stock hidden by command 6 is gone from the picture.
TEST_F(HostRun, KeptOpenTheViewTakesLinesFromStandardInput) {
  const std::filesystem::path lines = out_ / "lines.txt", picture = out_ / "later.png";
  std::ofstream(lines) << "question 3\ncommand 6\nquestion 3\npng " << picture.string()
                       << "\nunits inch\ntheme dark\nsection X+\nstop-at tool,rapid\ncolour-by operation\n"
                          "nc-selection 2 3\nnc-selection none\nnc-selection 2.5 3\nunits yard\ncommand 69\nquestion 52\n"
                          "quit\n";
  const Finished r =
      run("--hidden --no-stl --size 320x200 --keep-open --out " + out_.string() + " < " + lines.string());
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const size_t shown = r.output.find("question  3 StockShown               true");
  const size_t hidden = r.output.find("question  3 StockShown               false");
  ASSERT_NE(shown, std::string::npos) << r.output;
  ASSERT_NE(hidden, std::string::npos) << r.output;
  EXPECT_LT(shown, hidden);
  EXPECT_NE(r.output.find("command 6: 0"), std::string::npos);
  for (const char* reply : {"units: 0", "theme: 0", "section: 0", "stop-at: 0", "colour-by: 0", "nc-selection: 0"})
    EXPECT_NE(r.output.find(reply), std::string::npos) << reply << "\n" << r.output;
  EXPECT_NE(r.output.find("'units yard' does not name a setting"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("'nc-selection 2.5 3' needs lines"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("question 52 NcCodeShown              true"), std::string::npos) << r.output;
  ASSERT_TRUE(std::filesystem::exists(picture));
  EXPECT_LT(std::filesystem::file_size(picture), std::filesystem::file_size(out_ / "main-job.png"))
      << "without the stock the picture holds less";
}

// korvane-view started with its output (standard error too) read as it
// comes, for a test that acts on the window and waits for the lines that
// say what the view did. A run the test leaves early is killed.
class RunningHost {
 public:
  explicit RunningHost(const std::vector<std::string>& arguments) {
    int ends[2];
    // Neither end stays open in the child beyond its standard output.
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 2);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    std::vector<std::string> all{KORVANE_VIEW};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, KORVANE_VIEW, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    output_fd_ = ends[0];
  }
  ~RunningHost() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_fd_ >= 0) close(output_fd_);
  }
  RunningHost(const RunningHost&) = delete;
  RunningHost& operator=(const RunningHost&) = delete;

  bool started() const { return pid_ > 0; }
  const std::string& output() const { return output_; }
  // The number after the last text in the output so far, or NaN.
  double lastNumberAfter(const std::string& text) {
    while (readSome(0)) {
    }
    const size_t at = output_.rfind(text);
    return at == std::string::npos ? NAN : std::strtod(output_.c_str() + at + text.size(), nullptr);
  }
  // Waits up to seconds for text after what the last wait found; true when
  // it came.
  bool waitFor(const std::string& text, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
      if (const size_t at = output_.find(text, searched_); at != std::string::npos) {
        searched_ = at + text.size();
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !readSome(static_cast<int>(left.count()))) return false;
    }
  }
  // Everything up to the end, within seconds; the exit status as waitpid
  // gives it, or -1 when the program did not end (the destructor kills it).
  int finish(double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    auto left = [&] {
      return std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
    };
    while (left() > 0 && readSome(static_cast<int>(left()))) {
    }
    for (;;) {
      int status = 0;
      const pid_t ended = waitpid(pid_, &status, WNOHANG);
      if (ended == pid_) {
        pid_ = -1;
        return status;
      }
      if (ended < 0 || left() <= 0) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

 private:
  bool readSome(int milliseconds) {
    pollfd p{output_fd_, POLLIN, 0};
    if (poll(&p, 1, milliseconds) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(p.fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    output_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int output_fd_ = -1;
  std::string output_;
  size_t searched_ = 0;
};

// Pixels in the light theme's measuring orange.
size_t measuringPixels(const std::vector<uint32_t>& pixels) {
  return static_cast<size_t>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) {
    const uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return r > 200 && g > 70 && g < 145 && b < 70;
  }));
}

// --interactive: a person's session, played by X events at the places the
// 1600 x 900 window shows them after the bear's job stopped at 40 %: the
// user measures across the uncut block, jumps to a cut from the context
// menu, scrubs and zooms the timeline, plays and pauses, turns, pans,
// zooms and steps back to the start; closing the window ends the program.
TEST_F(HostRun, InteractiveKeepsTheWindowUntilTheUserClosesIt) {
  // Its own server: a view another test maps or embeds takes the focus.
  const testsupport::PrivateDisplay display;
  ASSERT_TRUE(display.ok()) << "no Xvfb";
  RunningHost host({"--interactive", "--no-stl", "--no-png", "--tool", "1:ball:3.175:25.4", "--stop-at", "0.4",
                    "--out", out_.string(), KORVANE_TEST_DATA "/bear.nc"});
  ASSERT_TRUE(host.started());
  ASSERT_TRUE(host.waitFor("(window 0x", 120)) << host.output();
  ASSERT_TRUE(host.waitFor("\n", 5));
  const unsigned long window = std::strtoul(host.output().c_str() + host.output().rfind("(window 0x") + 8, nullptr, 16);
  ASSERT_NE(window, 0u) << host.output();
  const testsupport::X11TestWindow x(8, 8);
  // The pauses and waits follow the view's pace: a sanitizer build or a
  // loaded machine plays the job (1.6 s here) several times slower.
  const double played = host.lastNumberAfter("played to the stop in ");
  ASSERT_TRUE(std::isfinite(played)) << host.output();
  const double pace = std::clamp(played / 2.0, 1.0, 15.0);
  const auto pause = [&](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(int(ms * pace))); };
  const double patience = 15 * pace;
  // Each event of a click in a frame of its own: a software renderer draws
  // the bear's scene slowly.
  const auto click = [&](unsigned button, int px, int py) {
    x.sendMotion(window, px, py);
    pause(250);
    x.sendButton(window, button, px, py, true);
    pause(250);
    x.sendButton(window, button, px, py, false);
  };
  const auto press = [&](unsigned long key) {
    x.sendKey(window, key, true);
    x.sendKey(window, key, false);
  };
  // Waits until the window's pixels show what shows(pixels) looks for.
  const auto untilShown = [&](const std::function<bool(const std::vector<uint32_t>&)>& shows) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(patience);
    const auto whole = [&](const std::vector<uint32_t>& pixels) { return pixels.size() == 1600u * 900u; };
    std::vector<uint32_t> pixels;
    while (!whole(pixels = x.pixelsOf(window)) || !shows(pixels))
      if (std::chrono::steady_clock::now() > until) return false;
      else std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return true;
  };

  // Measuring: the ruler on the ribbon, then two points on the block's top
  // face draw the measured line; switched off, the line goes.
  pause(1500);
  const std::vector<uint32_t> first = x.pixelsOf(window);
  ASSERT_EQ(first.size(), 1600u * 900u) << "the places below are the 1600 x 900 window's";
  const size_t before = measuringPixels(first);
  // The ruler's button on the centred ribbon bar (it moves when the bar
  // gains or loses a button).
  constexpr int kRuler[2] = {887, 25};
  click(1, kRuler[0], kRuler[1]);
  ASSERT_TRUE(host.waitFor("measuring on", patience)) << host.output();
  click(1, 769, 220);
  pause(300);
  click(1, 1099, 363);
  EXPECT_TRUE(untilShown([&](const auto& pixels) { return measuringPixels(pixels) > before + 300; }))
      << "the measured line and its ends";
  click(1, kRuler[0], kRuler[1]);
  ASSERT_TRUE(host.waitFor("measuring off", patience)) << host.output();
  EXPECT_TRUE(untilShown([&](const auto& pixels) { return measuringPixels(pixels) < before + 50; }))
      << "cleared with the mode";

  // A right click on the toolpath drawn over the bear's first head opens
  // the menu with its first entry, "Jump to cut", in dark (enabled) text;
  // the entry jumps back to that cut.
  click(3, 452, 615);
  EXPECT_TRUE(untilShown([&](const std::vector<uint32_t>& pixels) {
    size_t dark = 0;
    for (int y = 622; y < 636; ++y)
      for (int px = 470; px < 560; ++px) {
        const uint32_t p = pixels[size_t(y) * 1600 + px];
        dark += ((p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF)) < 200;
      }
    return dark > 30;
  })) << "the menu offers the jump";
  click(1, 520, 629);
  ASSERT_TRUE(host.waitFor("moved to ", patience)) << "jumped\n" << host.output();
  const double jumped = host.lastNumberAfter("moved to ");
  EXPECT_GT(jumped, 2.0) << "the head's contours come after the first raster";
  EXPECT_LT(jumped, 35.0) << "before where the job stopped";

  // The timeline: a press on the track jumps and drags in one gesture, the
  // wheel over it zooms it.
  x.sendMotion(window, 560, 825);
  x.sendButton(window, 1, 560, 825, true);
  for (int px = 570; px <= 660; px += 10) {
    x.sendMotion(window, px, 825);
    pause(40);
  }
  x.sendButton(window, 1, 660, 825, false);
  ASSERT_TRUE(host.waitFor("moved to ", patience)) << "scrubbed\n" << host.output();
  // The zoomed timeline spreads its ruler: the bar's strip changes.
  const auto barStrip = [&](const std::vector<uint32_t>& pixels) {
    std::vector<uint32_t> strip;
    for (int y = 815; y < 835; ++y)
      for (int px = 460; px < 1140; ++px) strip.push_back(pixels.empty() ? 0 : pixels[size_t(y) * 1600 + px]);
    return strip;
  };
  pause(1500);
  const std::vector<uint32_t> unzoomed = barStrip(x.pixelsOf(window));
  EXPECT_GT(host.lastNumberAfter("moved to ") - jumped, 5.0) << "dragged to the right\n" << host.output();
  x.sendWheel(window, 660, 825, true);
  x.sendWheel(window, 660, 825, true);
  EXPECT_TRUE(untilShown([&](const auto& pixels) { return barStrip(pixels) != unzoomed; }))
      << "the wheel zooms the timeline";
  pause(1000);

  // The bar's play button plays and pauses.
  click(1, 800, 857);
  ASSERT_TRUE(host.waitFor("playing from", patience)) << host.output();
  pause(500);
  click(1, 800, 857);
  ASSERT_TRUE(host.waitFor("paused at", patience)) << host.output();

  // Turn, pan and zoom the scene, then step back to the start.
  x.sendWheel(window, 800, 420, true);
  x.sendWheel(window, 800, 420, false);
  for (unsigned button : {1u, 3u}) {  // a left drag turns, a right drag pans
    x.sendButton(window, button, 800, 420, true);
    x.sendMotion(window, 860, 440);
    pause(300);
    x.sendButton(window, button, 860, 440, false);
  }
  press(XK_Home);
  ASSERT_TRUE(host.waitFor("moved to 0.0 %", patience)) << host.output();
  x.sendCloseRequest(window);
  const int status = host.finish(4 * patience);
  ASSERT_TRUE(status >= 0 && WIFEXITED(status)) << host.output();
  EXPECT_EQ(WEXITSTATUS(status), 0) << host.output();
  EXPECT_NE(host.output().find("closed at 0.0 %"), std::string::npos) << host.output();
}

// The sample jobs that collide on purpose, checked on the sample machines:
// the report's lines, and the collided parts tinted in the picture.
TEST_F(HostRun, TheCollidingSampleJobsReportWhatTheyHit) {
  struct Job {
    const char* program;
    const char* machine;
    const char* stock;  // the job's stock options
    std::vector<std::string> lines;
  } jobs[] = {
      {"collide_mill.ngc", "vertical-mill", "--stock 0,0,-20,100,80,0",
       {"collision check: 4 entries", "collision (kind 2): T1 with X Axis, lines 12-12",
        "collision (kind 2): Z Axis with X Axis, lines 16-16", "travel limit: Z at line 19", "travel limit: Z at line 20",
        "stock check: a tool's shaft, shoulder or holder met the stock"}},
      {"collide_five.ngc", "five-axis-ac", "--stock -30,-30,0,30,30,40",
       {"collision check: 1 entries", "collision (kind 2): Z Axis with C Axis, lines 7-7",
        "stock check: every tool's shaft, shoulder and holder stayed clear of the stock"}},
      {"collide_lathe.ngc", "lathe", "--lathe --bar 25,60",
       {"collision check: 2 entries", "collision (kind 2): Revolver Tools with Spindle, lines 8-8",
        "collision (kind 2): Turret with Spindle, lines 8-8"}},
  };
  const std::filesystem::path tools = out_ / "tools.txt";
  std::ofstream(tools) << "T1 flat 10 80\nT2 flat 6 15\nT3 turn 55 0.4\nT4 flat 16 120\n";
  for (const Job& job : jobs) {
    const Finished r = run(std::string("--headless --no-stl --size 400x300 --collisions --tools ") + tools.string() +
                           " " + job.stock + " --machine " KORVANE_SAMPLE_MACHINES "/" + job.machine + " --out " +
                           out_.string() + " " KORVANE_TEST_DATA "/" + job.program);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    for (const std::string& line : job.lines) EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;
    const std::string picture = (out_ / std::filesystem::path(job.program).stem()).string() + ".png";
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load(picture.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(rgb, nullptr) << picture;
    int red = 0;
    for (int i = 0; i < width * height; ++i)
      red += rgb[3 * i] > 100 && rgb[3 * i] > 1.8 * rgb[3 * i + 1] && rgb[3 * i] > 1.8 * rgb[3 * i + 2];
    stbi_image_free(rgb);
    EXPECT_GT(red, width * height / 50) << job.program << ": the collided parts are tinted";
  }
}
