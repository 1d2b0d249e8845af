// korvane-view: embeds the simulation view the way an NC editor would. It
// reads a G-code program and a tool table, hands toolpath, tools and stock
// to a view, plays the job to the end and writes the cut stock as STL and a
// picture of it as PNG. Without a program it runs its built-in main job.
#include <korvane/Korvane.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "DefaultJob.h"
#include "GCodeReader.h"
#include "JobRecords.h"
#include "PngWriter.h"
#include "QuestionNames.h"
#include "SettingWords.h"
#include "ToolLibrary.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kInputError = 2;
constexpr int kRunError = 1;
constexpr double kDegree = 0.017453292519943295;

void usage() {
  std::fprintf(stderr,
               "usage: korvane-view [options] [program.nc]\n"
               "  program.nc         G-code to play; without it the built-in main job runs\n"
               "  --lathe            read program.nc as a lathe program: X is the radius (G8) or the\n"
               "                     diameter (G7), Z the spindle axis, T0101 changes the tool at once\n"
               "  --print-moves      print the moves the program makes, one a line, before playing\n"
               "  --tools FILE       tool table: lines 'T1 flat|ball D L', 'T1 bull D R L', 'T1 vee D ANGLE L'\n"
               "                     or 'T1 punch SIDES D L' (mm), lathe\n"
               "                     inserts 'T1 turn ANGLE NOSE' and 'T2 groove WIDTH CORNER'; or LinuxCNC's\n"
               "                     'T1 P1 D6 Z25 ;comment' (flat end mills of diameter D)\n"
               "  --tool N:KIND:...  one tool, e.g. 1:ball:3.175:25.4, 2:bull:10:1:40 or 3:turn:55:0.4\n"
               "  --spindle N        tool N is in the spindle when the program starts (default: the\n"
               "                     table's only tool; with several, none until T.. M6)\n"
               "  --stock X0,Y0,Z0,X1,Y1,Z1  stock box (mm); default: around the feed moves\n"
               "  --bar D,LENGTH     a bar stock along Z (mm), its front at the highest cut; lathe\n"
               "                     programs get one from their largest |X| without --stock\n"
               "  --quality Q        stock quality 0..1 (default 0.5)\n"
               "  --speed V          speed slider 0.5..1 (default 1, as fast as the view goes)\n"
               "  --at-once          cut every move at once instead of playing (the same solid)\n"
               "  --refine           show (and export) the stock's exact mesh once playback rests: every\n"
               "                     vertex on the stock face or tool sweep that made it, faces in the\n"
               "                     colour of their cut\n"
               "  --out DIR          where NAME.stl and NAME.png go (default korvane-out)\n"
               "  --size WxH         picture size (default 1600x900)\n"
               "  --no-stl, --no-png leave that file out\n"
               "  --headless         an invisible view that draws only the picture\n"
               "  --hidden           a window that is not shown\n"
               "  --offscreen        draw into a hidden window and copy each frame into a plain one,\n"
               "                     as hosts that cannot show OpenGL do (its render scale comes from\n"
               "                     \"OffscreenGdiScalingRenderScale\" in custom settings.json)\n"
               "  --language CODE    the interface in a built-in language (0 da, 1 de, 3 es, 4 fi, 5 fr,\n"
               "                     6 it, 7 ja, 8 ko, 9 zh-Hans, 10 zh-Hant; others English)\n"
               "  --ui-shot FILE     also save the window as shown, interface included, as PNG\n"
               "  --timeout S        give up playing after S seconds (default 900)\n"
               "  --timings          print the time and peak memory of each phase at the end\n"
               "  --settings-dir DIR  keep the saved display choices (setup.bin) and read the tuning\n"
               "                     file (custom settings.json) in DIR/TARVOSimulationViewer/ instead\n"
               "                     of the user's ~/.config/TARVOSimulationViewer/\n"
               "  --machine DIR      show the machine of DIR/machine.json with its models from DIR\n"
               "  --collisions       check the job on the machine (--machine) for collisions and travel\n"
               "                     limits before playing: a line per report entry, collided parts tinted\n"
               "  --collision-step S  the check's sampling step along the toolpath (mm, default 0.2)\n"
               "  --design FILE      the design part, an STL model (mm): --geometry design:FILE\n"
               "  --compare LO,HI    colour the stock by its distance to the design (mm): red below\n"
               "                     LO (cut too deep), green within, blue above HI (material left)\n"
               "  --geometry ROLE:FILE  show an STL model (mm) as the design part (ROLE design), a\n"
               "                     fixture (fixture) or another model (other); repeatable\n"
               "  --toolpath-mode N  which moves the toolpath shows (0 all ... 10 current operation)\n"
               "  --points, --vectors  move ends as points, tool axes at move ends\n"
               "  --no-rapids, --thick  hide rapid moves, draw thick lines\n"
               "  --no-toolpath      hide the toolpath (rapid and cutting moves): the stock alone\n"
               "  --color-by feed|operation|tool  colour the toolpath by that instead of move kind\n"
               "  --no-tool, --no-holder  leave the tool or its holder out of the picture\n"
               "  --colour-by B      colour the stock's cut faces by tool (default), operation or none\n"
               "  --theme T          the light (default) or dark colour theme\n"
               "  --units U          show lengths in mm (default) or inch\n"
               "  --section P        cut the scene open: X-, X+, Y-, Y+, Z- or Z+ removes that side\n"
               "                     of the plane through the stock's centre\n"
               "  --command N[:ARG]  run SIM_Command N (with ARG) before playing; repeatable\n"
               "  --nc-selection A,B  select program lines A to B in the NC code panel (command 69\n"
               "                     opens it)\n"
               "  --keep-open        after the job, read lines from standard input: 'command N [ARG]',\n"
               "                     'question N', 'png FILE' (a picture of the view), 'units U',\n"
               "                     'theme T', 'section P', 'stop-at LIST', 'colour-by B',\n"
               "                     'nc-selection A [B]' (as the options; 'nc-selection none' clears),\n"
               "                     'ui-shot FILE' (the window with its interface), pointer input\n"
               "                     'move X Y', 'down B', 'up B', 'click X Y', 'wheel STEPS', keyboard\n"
               "                     input 'type TEXT', 'key NAME' (Enter, Escape, Backspace, Delete,\n"
               "                     Left, Right, Home, End, Shift-down, Shift-up, Space, [, ],\n"
               "                     Backslash), 'wait MS', 'quit'\n"
               "  --questions        print every SIM_Question's code, name and answer after the run\n"
               "  --stop-at F        stop playing at fraction F (0..1) of the job, so the tool shows mid-job\n"
               "  --stop-at LIST     pause playing where the job meets one of LIST, a comma list of\n"
               "                     tool (changes), operation (changes), rapid (moves into the stock),\n"
               "                     spindle (cuts with it stopped), optional (stops, M1)\n"
               "  --save-sim FILE    after playing, write the whole simulation to FILE (.TarvoSimData)\n"
               "  --bundle FILE.zip  after playing, write a presentation bundle: this program as the\n"
               "                     viewer (TARVOSimulation.exe) and the simulation file\n"
               "  --load-sim FILE    play a simulation file instead of a program, from the start: its\n"
               "                     toolpath, tools, stocks, models and settings (display options\n"
               "                     of this command line are not applied)\n"
               "  --interactive      keep the window open after the job until it is closed\n"
               "                     (Home, Space, N and P step through the job)\n");
}

struct Options {
  std::string program;
  std::string toolFile;
  std::vector<std::string> tools;
  std::optional<host::StockBox> stock;
  std::optional<std::pair<double, double>> bar;  // diameter, length (mm)
  double quality = 0.5, speed = 1.0, timeout = 900;
  std::string out = "korvane-out";
  std::string settingsDir;  // XDG_CONFIG_HOME for the views of this run
  std::string machine;
  bool collisions = false;
  std::optional<double> collisionStep;
  int spindleTool = -1;  // the tool in the spindle at the start; -1: the table's only tool
  std::vector<std::pair<uint64_t, std::string>> geometries;  // role, STL file
  std::optional<std::pair<double, double>> compare;           // the range on the design (mm)
  int width = 1600, height = 900;
  bool stl = true, png = true, headless = false, hidden = false, offscreen = false, atOnce = false, timings = false,
       refine = false;
  bool interactive = false;
  bool lathe = false;
  bool printMoves = false;  // the interpreted moves as text on standard output
  uint32_t toolpathMode = 0;
  SIM_ToolpathDisplay display = SIM_GetToolpathDisplay(nullptr);
  SIM_CuttingPlane section = SIM_GetCuttingPlane(nullptr);
  std::vector<std::pair<uint32_t, uint64_t>> commands;
  std::optional<std::pair<uint32_t, uint32_t>> ncSelection;
  bool questions = false;
  bool keepOpen = false;
  double stopAt = 1.0;
  uint64_t stopConditions = 0;
  uint32_t unit = 0;
  uint32_t themeCommand = SIM_COMMAND_LIGHT_THEME;
  host::ColourBy colourBy = host::ColourBy::Tool;
  int32_t language = -1;  // none chosen: the library's English
  std::string uiShot;
  std::string saveSim;  // write the simulation file here after playing
  std::string bundle;   // and a presentation bundle (ZIP) with this program
  std::string loadSim;  // play this simulation file instead of a program
};

// What a refusal status means, for messages.
const char* refusalOf(int32_t status) {
  switch (status) {
    case SIM_STATUS_NOT_FINITE: return "a number that is not finite";
    case SIM_STATUS_OUT_OF_RANGE: return "a value beyond what the view represents (lengths up to 1,000,000 mm)";
    case SIM_STATUS_BAD_ARRAY: return "an array that does not fit";
    case SIM_STATUS_BAD_STOCK: return "a stock without volume";
    default: return "an error";
  }
}

struct InputError {
  std::string what;
};

double numberOf(const std::string& text, const char* option) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value))
    throw InputError{std::string(option) + " needs a number, got '" + text + "'"};
  return value;
}

// The models of --geometry, each named after its file.
bool addGeometries(Render* view, const std::vector<std::pair<uint64_t, std::string>>& geometries) {
  if (geometries.empty()) return true;
  std::vector<SIM_GeometryRecord> records;
  for (const auto& [role, file] : geometries) {
    SIM_GeometryRecord g = SIM_GetGeometry(nullptr, "");
    g.role = role;
    g.modelPath = file.c_str();
    const std::string name = std::filesystem::path(file).filename().string();
    std::strncpy(g.name, name.c_str(), sizeof g.name - 1);
    records.push_back(g);
  }
  if (const int32_t refused = SIM_CreateGeometries(view, {records.data(), records.size()}, true); refused != 0) {
    std::fprintf(stderr, "korvane-view: the geometries were refused: %s\n", refusalOf(refused));
    return false;
  }
  return true;
}

Options optionsOf(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw InputError{arg + " needs a value"};
      return argv[++i];
    };
    if (arg == "--tools") {
      o.toolFile = value();
    } else if (arg == "--tool") {
      o.tools.push_back(value());
    } else if (arg == "--spindle") {
      const double tool = numberOf(value(), "--spindle");
      if (tool < 0 || tool > 99999 || tool != std::floor(tool)) throw InputError{"--spindle takes a tool number"};
      o.spindleTool = static_cast<int>(tool);
    } else if (arg == "--stock") {
      const std::string text = value();
      double v[6];
      size_t at = 0;
      for (int k = 0; k < 6; ++k) {
        const size_t comma = text.find(',', at);
        if ((k < 5) != (comma != std::string::npos)) throw InputError{"--stock needs six numbers X0,Y0,Z0,X1,Y1,Z1"};
        v[k] = numberOf(text.substr(at, comma == std::string::npos ? std::string::npos : comma - at), "--stock");
        at = comma + 1;
      }
      if (!(v[0] < v[3] && v[1] < v[4] && v[2] < v[5])) throw InputError{"--stock: each minimum must be below its maximum"};
      o.stock = host::StockBox{{v[0], v[1], v[2]}, {v[3], v[4], v[5]}};
    } else if (arg == "--bar") {
      const std::string text = value();
      const size_t comma = text.find(',');
      if (comma == std::string::npos) throw InputError{"--bar needs a diameter and a length: D,LENGTH"};
      const double d = numberOf(text.substr(0, comma), "--bar"), l = numberOf(text.substr(comma + 1), "--bar");
      if (!(d > 0 && l > 0)) throw InputError{"--bar: the diameter and the length must be positive"};
      o.bar = std::make_pair(d, l);
    } else if (arg == "--quality") {
      o.quality = numberOf(value(), "--quality");
      if (o.quality < 0 || o.quality > 1) throw InputError{"--quality must lie between 0 and 1"};
    } else if (arg == "--speed") {
      o.speed = numberOf(value(), "--speed");
      if (o.speed < 0.5 || o.speed > 1) throw InputError{"--speed must lie between 0.5 and 1"};
    } else if (arg == "--timeout") {
      o.timeout = numberOf(value(), "--timeout");
      if (o.timeout <= 0 || o.timeout > 86400) throw InputError{"--timeout must lie between 0 and 86400 seconds"};
    } else if (arg == "--out") {
      o.out = value();
    } else if (arg == "--size") {
      const std::string text = value();
      int used = 0;
      if (std::sscanf(text.c_str(), "%dx%d%n", &o.width, &o.height, &used) != 2 || size_t(used) != text.size() ||
          o.width < 16 || o.height < 16 || o.width > 8192 || o.height > 8192)
        throw InputError{"--size needs WIDTHxHEIGHT between 16 and 8192"};
    } else if (arg == "--no-stl") {
      o.stl = false;
    } else if (arg == "--no-png") {
      o.png = false;
    } else if (arg == "--at-once") {
      o.atOnce = true;
    } else if (arg == "--refine") {
      o.refine = true;
    } else if (arg == "--geometry") {
      const std::string text = value();
      const size_t colon = text.find(':');
      const std::string role = text.substr(0, colon), file = colon == std::string::npos ? "" : text.substr(colon + 1);
      static const std::pair<const char*, uint64_t> kRoles[] = {
          {"design", SIM_GEOMETRY_WORKPIECE}, {"fixture", SIM_GEOMETRY_FIXTURE}, {"other", SIM_GEOMETRY_OTHER}};
      const auto known = std::find_if(std::begin(kRoles), std::end(kRoles), [&](const auto& r) { return role == r.first; });
      if (known == std::end(kRoles) || file.empty())
        throw InputError{"--geometry needs ROLE:FILE with ROLE design, fixture or other, got '" + text + "'"};
      if (!std::ifstream(file)) throw InputError{"--geometry: cannot read " + file};
      o.geometries.emplace_back(known->second, file);
    } else if (arg == "--design") {
      const std::string file = value();
      if (!std::ifstream(file)) throw InputError{"--design: cannot read " + file};
      o.geometries.emplace_back(SIM_GEOMETRY_WORKPIECE, file);
    } else if (arg == "--compare") {
      const std::string text = value();
      const size_t comma = text.find(',');
      if (comma == std::string::npos) throw InputError{"--compare needs the range's limits: LO,HI"};
      const double lo = numberOf(text.substr(0, comma), "--compare"), hi = numberOf(text.substr(comma + 1), "--compare");
      if (!(lo <= hi)) throw InputError{"--compare: the lower limit is above the upper one"};
      o.compare = std::make_pair(lo, hi);
    } else if (arg == "--machine") {
      o.machine = value();
    } else if (arg == "--collisions") {
      o.collisions = true;
    } else if (arg == "--collision-step") {
      o.collisionStep = numberOf(value(), "--collision-step");
      if (!(*o.collisionStep > 0)) throw InputError{"--collision-step must be above 0"};
    } else if (arg == "--timings") {
      o.timings = true;
    } else if (arg == "--bundle") {
      o.bundle = value();
      if (o.bundle.size() < 5 || o.bundle.substr(o.bundle.size() - 4) != ".zip")
        throw InputError{"--bundle needs a file name ending in .zip"};
    } else if (arg == "--save-sim") {
      o.saveSim = value();
    } else if (arg == "--load-sim") {
      o.loadSim = value();
    } else if (arg == "--settings-dir") {
      o.settingsDir = std::filesystem::absolute(value()).string();
    } else if (arg == "--headless") {
      o.headless = true;
    } else if (arg == "--hidden") {
      o.hidden = true;
    } else if (arg == "--offscreen") {
      o.offscreen = true;
    } else if (arg == "--language") {
      const double code = numberOf(value(), "--language");
      if (code < 0 || code > 255 || code != std::floor(code)) throw InputError{"--language must be a code 0 to 255"};
      o.language = static_cast<int32_t>(code);
    } else if (arg == "--ui-shot") {
      o.uiShot = value();
    } else if (arg == "--toolpath-mode") {
      const double mode = numberOf(value(), "--toolpath-mode");
      if (mode < 0 || mode > 10 || mode != std::floor(mode)) throw InputError{"--toolpath-mode must be 0 to 10"};
      o.toolpathMode = static_cast<uint32_t>(mode);
    } else if (arg == "--points") {
      o.display.points = 1;
    } else if (arg == "--vectors") {
      o.display.toolVectors = 1;
    } else if (arg == "--no-rapids") {
      o.display.showRapid = 0;
    } else if (arg == "--no-toolpath") {
      o.display.showRapid = 0;
      o.display.showCutting = 0;
    } else if (arg == "--thick") {
      o.display.thickLines = 1;
    } else if (arg == "--color-by") {
      const std::string by = value();
      if (by == "feed") {
        o.display.colourByFeed = 1;
      } else if (by == "operation" || by == "tool") {
        o.display.colourBy = by == "operation" ? 1 : 2;
      } else {
        throw InputError{"--color-by takes feed, operation or tool"};
      }
    } else if (arg == "--no-tool") {
      o.display.showTool = 0;
    } else if (arg == "--no-holder") {
      o.display.showHolder = 0;
    } else if (arg == "--section") {
      const std::optional<uint32_t> plane = host::sectionNamed(value());
      if (!plane) throw InputError{"--section takes X-, X+, Y-, Y+, Z-, Z+ or none"};
      o.section.plane = *plane;
    } else if (arg == "--units") {
      const std::optional<uint32_t> unit = host::unitNamed(value());
      if (!unit) throw InputError{"--units takes mm or inch"};
      o.unit = *unit;
    } else if (arg == "--theme") {
      const std::optional<uint32_t> command = host::themeCommandNamed(value());
      if (!command) throw InputError{"--theme takes light or dark"};
      o.themeCommand = *command;
    } else if (arg == "--colour-by") {
      const std::optional<host::ColourBy> by = host::colourByNamed(value());
      if (!by) throw InputError{"--colour-by takes tool, operation or none"};
      o.colourBy = *by;
    } else if (arg == "--nc-selection") {
      const std::string text = value();
      const size_t comma = text.find(',');
      o.ncSelection = host::lineRangeNamed(std::string_view(text).substr(0, comma),
                                           comma == std::string::npos ? "" : std::string_view(text).substr(comma + 1));
      if (!o.ncSelection || (comma != std::string::npos && comma + 1 == text.size()))
        throw InputError{"--nc-selection takes A,B, lines 1 <= A <= B"};
    } else if (arg == "--command") {
      const std::string text = value();
      const size_t colon = text.find(':');
      const double code = numberOf(text.substr(0, colon), "--command");
      const double argument = colon == std::string::npos ? 0 : numberOf(text.substr(colon + 1), "--command");
      if (code < 0 || code != std::floor(code) || code > 0xFFFFFFFFu || argument < 0 ||
          argument != std::floor(argument) || argument >= 18446744073709551616.0)  // 2^64
        throw InputError{"--command takes N or N:ARG, whole numbers"};
      o.commands.emplace_back(static_cast<uint32_t>(code), static_cast<uint64_t>(argument));
    } else if (arg == "--keep-open") {
      o.keepOpen = true;
    } else if (arg == "--questions") {
      o.questions = true;
    } else if (arg == "--stop-at") {
      const std::string text = value();
      if (const std::optional<uint64_t> conditions = host::stopConditionsNamed(text)) {
        o.stopConditions = *conditions;
      } else {
        o.stopAt = numberOf(text, "--stop-at");
        if (o.stopAt < 0 || o.stopAt > 1)
          throw InputError{"--stop-at takes a fraction 0 to 1 or a list of tool, operation, rapid, spindle, optional"};
      }
    } else if (arg == "--interactive") {
      o.interactive = true;
    } else if (arg == "--lathe") {
      o.lathe = true;
    } else if (arg == "--print-moves") {
      o.printMoves = true;
    } else if (arg == "--help" || arg == "-h") {
      usage();
      std::exit(0);
    } else if (!arg.empty() && arg[0] == '-') {
      throw InputError{"unknown option " + arg};
    } else if (o.program.empty()) {
      o.program = arg;
    } else {
      throw InputError{"only one program at a time"};
    }
  }
  if (o.interactive && (o.headless || o.hidden)) throw InputError{"--interactive needs a shown window"};
  if (o.lathe && o.program.empty()) throw InputError{"--lathe needs a program to read (the built-in job mills)"};
  if (o.bar && o.stock) throw InputError{"--bar and --stock both give the stock: choose one"};
  const bool hasDesign = std::any_of(o.geometries.begin(), o.geometries.end(),
                                     [](const auto& g) { return g.first == SIM_GEOMETRY_WORKPIECE; });
  if (o.compare && !hasDesign) throw InputError{"--compare needs a design model: --design FILE"};
  if ((o.collisions || o.collisionStep) && o.machine.empty()) throw InputError{"--collisions needs a machine: --machine DIR"};
  if (o.offscreen && (o.headless || o.hidden)) throw InputError{"--offscreen needs a shown window"};
  if (!o.uiShot.empty() && o.headless) throw InputError{"--ui-shot needs a window (leave out --headless)"};
  if (!o.loadSim.empty() && (!o.program.empty() || o.lathe || o.stock || o.bar || !o.toolFile.empty() || !o.tools.empty()))
    throw InputError{"--load-sim plays the job its file holds: leave out the program, tools and stock"};
  return o;
}

// What the view tells the host, kept for the main thread.
struct ViewNews {
  std::atomic<int> exportDone{0};
  std::atomic<int> line{0};
  std::atomic<bool> tooCoarse{false};
  std::atomic<int> machineLoaded{0};
  std::atomic<int> collisionsChecked{0};
  std::atomic<bool> closed{false};
};

void onMessage(void* context, SIM_Window, uint32_t message, uint64_t event, int64_t value) {
  auto* news = static_cast<ViewNews*>(context);
  if (message == SIM_MESSAGE_VIEW_CLOSED) news->closed = true;
  if (message != SIM_MESSAGE_NOTIFY) return;
  if (event == SIM_EVENT_EXPORT_PROGRESS && value == 100) ++news->exportDone;
  if (event == SIM_EVENT_CURRENT_LINE_CHANGED) news->line = static_cast<int>(value);
  if (event == SIM_EVENT_STOCK_TOO_COARSE) news->tooCoarse = true;
  if (event == SIM_EVENT_MACHINE_LOADED) ++news->machineLoaded;
  if (event == SIM_EVENT_COLLISION_CHECK_DONE) ++news->collisionsChecked;
}

// Every tool the program changes to is in the table, and no feed move comes
// before the first tool change.
void checkTools(const host::Program& program, const host::ToolLibrary& tools, const std::string& name) {
  for (const host::ProgramToolChange& change : program.toolChanges)
    if (!tools.has(change.tool))
      throw InputError{name + ":" + std::to_string(change.line) + ": tool T" + std::to_string(change.tool) +
                       " is not defined (give it with --tool or --tools)"};
  for (const host::ProgramMove& move : program.moves)
    if (move.motion != host::Motion::Rapid && move.tool == 0)
      throw InputError{name + ":" + std::to_string(move.line) +
                       ": a feed move with no tool in the spindle (T.. M6, or a table of one tool)"};
}

// The moves as text, one a line: what the interpreter made of the program.
void printMoves(const host::Program& program) {
  static const char* const kinds[] = {"rapid", "line", "arc-cw", "arc-ccw"};
  size_t change = 0;
  for (size_t i = 0; i < program.moves.size(); ++i) {
    for (; change < program.toolChanges.size() && program.toolChanges[change].move <= i; ++change)
      std::printf("tool T%d\n", program.toolChanges[change].tool);
    const host::ProgramMove& m = program.moves[i];
    std::printf("%u %s X%.4f Y%.4f Z%.4f", m.line, kinds[int(m.motion)], m.end.x, m.end.y, m.end.z);
    if (m.rotary.x != 0 || m.rotary.y != 0 || m.rotary.z != 0)
      std::printf(" A%.4f B%.4f C%.4f", m.rotary.x / kDegree, m.rotary.y / kDegree, m.rotary.z / kDegree);
    if (m.motion == host::Motion::ArcClockwise || m.motion == host::Motion::ArcCounterClockwise)
      std::printf(" centre %.4f,%.4f,%.4f axis %g,%g,%g", m.centre.x, m.centre.y, m.centre.z, m.axis.x, m.axis.y,
                  m.axis.z);
    if (m.motion != host::Motion::Rapid) std::printf(" F%.4g", m.feed);
    if (m.spindle != 0) std::printf(" S%.6g", m.spindle);
    std::printf("\n");
  }
}

double largestRadius(const host::ToolLibrary& tools) {
  double r = 0;
  for (const auto& [number, mill] : tools.mills()) r = std::max(r, mill.lathe() ? mill.width / 2 : mill.diameter / 2);
  return r;
}

// The picture over a light background.
std::vector<uint8_t> overBackground(std::vector<uint8_t> rgba) {
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    const unsigned alpha = rgba[i + 3];
    for (int k = 0; k < 3; ++k) rgba[i + k] = static_cast<uint8_t>((rgba[i + k] * alpha + 238u * (255u - alpha)) / 255u);
    rgba[i + 3] = 255;
  }
  return rgba;
}

void printAnswer(Render* view, uint32_t code) {
  std::printf("question %2u %-24s %s\n", code, host::questionName(code), SIM_Question(view, code) ? "true" : "false");
}

// A picture of the view as it stands, over the background, as PNG.
bool writePicture(Render* view, const std::string& path, int width, int height) {
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  return SIM_RenderImage(view, width, height, rgba.data()) == 0 &&
         host::writePng(path, overBackground(std::move(rgba)), width, height);
}

// The window as the user sees it, interface included, as PNG.
bool writeWindowPicture(Render* view, const std::string& path) {
  int32_t width = 0, height = 0;
  if (SIM_RenderWindowImage(view, &width, &height, nullptr, 0) != 0) return false;
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  return SIM_RenderWindowImage(view, &width, &height, rgba.data(), static_cast<int64_t>(rgba.size())) == 0 &&
         host::writePng(path, rgba, width, height);
}

// The code points of UTF-8 text; a malformed byte stands for itself.
std::vector<uint32_t> codePointsOf(const std::string& text) {
  std::vector<uint32_t> points;
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    uint32_t point = length == 1 ? byte : byte & (0x7Fu >> length);
    size_t k = 1;
    for (; k < length && i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80; ++k)
      point = point << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    points.push_back(k == length ? point : byte);
    i += k;
  }
  return points;
}

// Key names of 'key NAME': the key code (the key event's numbering) and
// whether the line presses and releases it (else only one of the two).
struct NamedKey {
  const char* name;
  int32_t code;
  int kind;  // 0 press and release, SIM_INPUT_KEY_DOWN or SIM_INPUT_KEY_UP
};
constexpr NamedKey kNamedKeys[] = {
    {"Enter", 257, 0}, {"Escape", 256, 0}, {"Backspace", 259, 0}, {"Delete", 261, 0},
    {"Right", 262, 0}, {"Left", 263, 0},   {"Home", 268, 0},      {"End", 269, 0},
    {"Shift-down", 340, SIM_INPUT_KEY_DOWN}, {"Shift-up", 340, SIM_INPUT_KEY_UP},
    {"Space", 32, 0}, {"[", 91, 0}, {"]", 93, 0}, {"Backslash", 92, 0},
};

// The stock's cut faces (and the toolpath) coloured by tool, by operation
// or neither.
void setColourBy(Render* view, host::ColourBy by) {
  SIM_StockRemovalSettings settings = SIM_GetStockRemovalSettings(view);
  settings.colourByTool = by == host::ColourBy::Tool;
  settings.colourByOperation = by == host::ColourBy::Operation;
  SIM_SetStockRemovalSettings(view, &settings);
}

// --keep-open: lines from standard input drive the view until 'quit' or
// the end of the input.
void serveLines(Render* view, const Options& o) {
  std::string line;
  double cursorX = 0, cursorY = 0;  // where the last 'move' or 'click' went
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "quit") break;
    if (verb == "units" || verb == "theme" || verb == "section" || verb == "stop-at" || verb == "colour-by") {
      std::string word;
      words >> word;
      const auto refuse = [&] { std::fprintf(stderr, "korvane-view: '%s' does not name a setting\n", line.c_str()); };
      if (verb == "units") {
        if (const std::optional<uint32_t> unit = host::unitNamed(word)) std::printf("units: %d\n", SIM_SetUnits(view, *unit));
        else refuse();
      } else if (verb == "theme") {
        if (const std::optional<uint32_t> command = host::themeCommandNamed(word))
          std::printf("theme: %d\n", SIM_Command(view, *command, 0));
        else refuse();
      } else if (verb == "section") {
        if (const std::optional<uint32_t> plane = host::sectionNamed(word)) {
          SIM_CuttingPlane section = SIM_GetCuttingPlane(view);
          section.plane = *plane;
          std::printf("section: %d\n", SIM_SetCuttingPlane(view, &section));
        } else {
          refuse();
        }
      } else if (verb == "stop-at") {
        if (const std::optional<uint64_t> conditions = host::stopConditionsNamed(word))
          std::printf("stop-at: %d\n", SIM_SetStopConditions(view, *conditions));
        else refuse();
      } else if (const std::optional<host::ColourBy> by = host::colourByNamed(word)) {
        setColourBy(view, *by);
        std::printf("colour-by: 0\n");
      } else {
        refuse();
      }
      std::fflush(stdout);
      continue;
    }
    if (verb == "nc-selection") {
      std::string first, last, extra;
      words >> first >> last >> extra;
      const std::optional<std::pair<uint32_t, uint32_t>> lines = host::lineRangeNamed(first, last);
      if (first == "none" && last.empty()) {
        std::printf("nc-selection: %d\n", SIM_SetNCFileSelection(view, false, 0, 0));
      } else if (lines && extra.empty()) {
        std::printf("nc-selection: %d\n",
                    SIM_SetNCFileSelection(view, true, lines->first, static_cast<int32_t>(lines->second)));
      } else {
        std::fprintf(stderr, "korvane-view: '%s' needs lines A [B] with 1 <= A <= B, or none\n", line.c_str());
      }
      std::fflush(stdout);
      continue;
    }
    if (verb == "command") {
      uint64_t code = 0, argument = 0;
      if (!(words >> code) || code > UINT32_MAX) {
        std::fprintf(stderr, "korvane-view: '%s' needs a command code 0 to 4294967295\n", line.c_str());
      } else {
        words >> argument;
        std::printf("command %ju: %d\n", static_cast<uintmax_t>(code),
                    SIM_Command(view, static_cast<uint32_t>(code), argument));
      }
    } else if (verb == "question") {
      uint32_t code = 0;
      if (words >> code) printAnswer(view, code);
    } else if (verb == "move" || verb == "down" || verb == "up" || verb == "wheel" || verb == "click") {
      // Pointer input as if given in the window: 'move X Y', 'down B',
      // 'up B', 'wheel STEPS', 'click X Y' (left button, a frame apart).
      // Buttons and the wheel act where the pointer is.
      SIM_InputEvent event{};
      event.x = cursorX, event.y = cursorY;
      int32_t result = 0;
      if (verb == "move" || verb == "click") {
        words >> event.x >> event.y;
        cursorX = event.x, cursorY = event.y;
        event.kind = SIM_INPUT_MOVE;
        result = SIM_SendInput(view, &event);
        if (verb == "click" && result == 0) {
          event.kind = SIM_INPUT_BUTTON_DOWN;
          result = SIM_SendInput(view, &event);
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
          event.kind = SIM_INPUT_BUTTON_UP;
          if (result == 0) result = SIM_SendInput(view, &event);
        }
      } else if (verb == "wheel") {
        words >> event.wheel;
        event.kind = SIM_INPUT_WHEEL;
        result = SIM_SendInput(view, &event);
      } else {
        words >> event.button;
        event.kind = verb == "down" ? SIM_INPUT_BUTTON_DOWN : SIM_INPUT_BUTTON_UP;
        result = SIM_SendInput(view, &event);
      }
      std::printf("%s: %d\n", verb.c_str(), result);
      // Let the view take it before the next line.
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    } else if (verb == "type") {
      // The rest of the line after one space, character by character.
      const std::string text = line.size() > 5 ? line.substr(5) : std::string();
      int32_t result = 0;
      for (uint32_t point : codePointsOf(text)) {
        SIM_InputEvent event{};
        event.kind = SIM_INPUT_CHARACTER;
        event.button = static_cast<int32_t>(point);
        if (const int32_t r = SIM_SendInput(view, &event); r != 0) result = r;
      }
      std::printf("type: %d\n", result);
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    } else if (verb == "key") {
      std::string name;
      words >> name;
      const NamedKey* named = nullptr;
      for (const NamedKey& k : kNamedKeys)
        if (name == k.name) named = &k;
      if (!named) {
        std::fprintf(stderr, "korvane-view: unknown key '%s'\n", name.c_str());
        continue;
      }
      SIM_InputEvent event{};
      event.button = named->code;
      int32_t result = 0;
      for (int kind : {int{SIM_INPUT_KEY_DOWN}, int{SIM_INPUT_KEY_UP}}) {
        if (named->kind != 0 && named->kind != kind) continue;
        event.kind = static_cast<uint32_t>(kind);
        if (const int32_t r = SIM_SendInput(view, &event); r != 0) result = r;
      }
      std::printf("key %s: %d\n", name.c_str(), result);
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    } else if (verb == "wait") {
      // A slow picture (a large job on a software renderer) may take longer
      // than the pause each input line leaves.
      unsigned milliseconds = 0;
      words >> milliseconds;
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 60000u)));
    } else if (verb == "ui-shot") {
      std::string path;
      words >> path;
      if (!path.empty() && writeWindowPicture(view, path))
        std::printf("wrote %s\n", path.c_str());
      else
        std::fprintf(stderr, "korvane-view: no window picture written to '%s'\n", path.c_str());
    } else if (verb == "png") {
      std::string path;
      words >> path;
      if (!path.empty() && writePicture(view, path, o.width, o.height))
        std::printf("wrote %s\n", path.c_str());
      else
        std::fprintf(stderr, "korvane-view: no picture written to '%s'\n", path.c_str());
    } else if (!verb.empty()) {
      std::fprintf(stderr, "korvane-view: unknown line '%s' (command, question, png, quit)\n", line.c_str());
    }
    std::fflush(stdout);
  }
}


// While the user has the window: a line for each change of playing, of
// the position while paused (steps, scrubbing, jumps) and of measuring, so
// that a person or a script can follow what the view did.
void reportUntilClosed(Render* view, const ViewNews& news) {
  bool playing = SIM_IsPlaying(view) != 0;
  bool measuring = SIM_Question(view, SIM_QUESTION_MEASURE_MODE);
  double position = SIM_GetProgress(view);
  while (!news.closed.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool nowPlaying = SIM_IsPlaying(view) != 0;
    const bool nowMeasuring = SIM_Question(view, SIM_QUESTION_MEASURE_MODE);
    const double nowAt = SIM_GetProgress(view);
    if (nowPlaying != playing)
      std::printf("%s %.1f %%\n", nowPlaying ? "playing from" : "paused at", nowAt * 100);
    else if (!nowPlaying && nowAt != position)
      std::printf("moved to %.1f %%\n", nowAt * 100);
    if (nowMeasuring != measuring) std::printf("measuring %s\n", nowMeasuring ? "on" : "off");
    std::fflush(stdout);
    playing = nowPlaying, measuring = nowMeasuring, position = nowAt;
  }
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// What the host measured itself, beside the view's own phases.
struct HostTimes {
  double read = 0, pngWrite = 0, whole = 0;
};

// Each phase's seconds and the most memory the process held during it,
// above what it held with the bare view; then the whole run.
void printTimings(Render* view, const HostTimes& host, double cell) {
  SIM_PhaseTimes times{};
  if (SIM_GetPhaseTimes(view, &times) != 0) return;
  auto megabytes = [](uint64_t bytes) { return bytes / (1024.0 * 1024.0); };
  const uint64_t bare = times.bareResidentBytes;
  std::printf("timings (cell %.3g mm; memory: peak during the phase above the bare view's %.0f MB)\n", cell,
              megabytes(bare));
  std::printf("  %-14s %8.3f s\n", "read", host.read);
  const char* names[SIM_PHASE_COUNT] = {"toolpath load", "stock build", "cut",    "extraction",
                                        "weld",          "STL write",   "picture"};
  for (int k = 0; k < SIM_PHASE_COUNT; ++k) {
    const uint64_t phasePeak = times.peakResidentBytes[k];
    if (phasePeak == 0) {
      std::printf("  %-14s %8.3f s\n", names[k], times.seconds[k]);
    } else {
      std::printf("  %-14s %8.3f s  %+7.1f MB\n", names[k], times.seconds[k],
                  megabytes(phasePeak) - megabytes(bare));
    }
  }
  std::printf("  %-14s %8.3f s\n", "PNG write", host.pngWrite);
  std::printf("  %-14s %8.3f s  %+7.1f MB\n", "whole job", host.whole, megabytes(times.wholePeakResidentBytes) - megabytes(bare));
}

// The view closed, for a run that ends with status.
int closeView(Render* view, SIM_Window window, int status) {
  SIM_CloseView(view);
  SIM_SetMessageHandler(window, nullptr, nullptr);
  SIM_TerminateOpenGL();
  return status;
}

bool waitFor(const auto& done, double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Loads DIR/machine.json (the legacy layout when its root says so) and the
// models beside it, and waits for them.
bool loadMachine(Render* view, const std::string& folder, ViewNews& news, double timeout) {
  std::ifstream in(std::filesystem::path(folder) / "machine.json", std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "korvane-view: %s/machine.json cannot be read\n", folder.c_str());
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool legacy = text.find("\"MachineDefinition") != std::string::npos;
  SIM_CreateMachine(view, text.c_str(), legacy ? 1 : 0, 0);
  const SIM_MachineLoadStatus status = SIM_GetMachineLoadStatus(view);
  if (status.status != SIM_MACHINE_LOADED) {
    std::fprintf(stderr, "korvane-view: %s/machine.json: %s\n", folder.c_str(), status.message);
    return false;
  }
  const auto start = Clock::now();
  SIM_LoadMachineModelsPath(view, folder.c_str());
  if (!waitFor([&] { return news.machineLoaded.load() > 0; }, timeout)) return false;
  const SIM_MachineLoadStatus loaded = SIM_GetMachineLoadStatus(view);
  std::printf("machine %s: models loaded in %.2f s%s\n", folder.c_str(), secondsSince(start),
              loaded.skippedModels ? " (some could not be read)" : "");
  return true;
}


// Runs the collision check and prints its report: a line per entry.
bool checkCollisions(Render* view, const Options& o, ViewNews& news) {
  if (o.collisionStep) {
    SIM_CollisionDetectionSettings settings = SIM_GetCollisionDetectionSettings(view);
    settings.stepSize = static_cast<float>(*o.collisionStep);
    SIM_SetCollisionDetectionSettings(view, &settings);
  }
  const auto start = Clock::now();
  if (SIM_RunCollisionDetection(view) != 0 || !waitFor([&] { return news.collisionsChecked.load() > 0; }, o.timeout)) {
    std::fprintf(stderr, "korvane-view: the collision check did not finish\n");
    return false;
  }
  const SIM_CollisionReport report = SIM_GetCollisionReport(view);
  std::printf("collision check: %ju entries in %.2f s\n", static_cast<uintmax_t>(report.count), secondsSince(start));
  for (uint64_t i = 0; i < report.count; ++i) {
    const SIM_CollisionReportEntry& e = report.entries[i];
    if (e.kind == SIM_COLLISION_TRAVEL_LIMIT)
      std::printf("  travel limit: %s at line %u (entity %u), %.3f s\n", e.firstName, e.startLine, e.startEntity,
                  e.startPosition);
    else
      std::printf("  collision (kind %u): %s with %s, lines %u-%u (entities %u-%u), %.3f-%.3f s\n", e.kind, e.firstName,
                  e.secondName, e.startLine, e.endLine, e.startEntity, e.endEntity, e.startPosition, e.endPosition);
  }
  std::fflush(stdout);
  return true;
}

// A job read from G-code (or the built-in one): program, tools, stock.
struct HostJob {
  std::string name;
  host::Program program;
  host::ToolLibrary tools;
  std::optional<host::BarStock> bar;
  host::StockBox box;
  host::ToolpathArrays path;
};

std::unique_ptr<HostJob> readJob(const Options& o) {
  const bool builtIn = o.program.empty();
  const std::string name = builtIn ? "main-job" : std::filesystem::path(o.program).stem().string();
  host::ToolLibrary tools;
  if (builtIn) tools.readText(host::defaultJobTools(), "main-job tools");
  if (!o.toolFile.empty()) tools.readFile(o.toolFile);
  for (const std::string& tool : o.tools) tools.addOption(tool);
  host::ReadOptions reading;
  reading.lathe = o.lathe;
  // Cutter compensation offsets by the cutting edge's radius: a mill's, a
  // turning insert's nose, half a grooving blade.
  for (const auto& [number, tool] : tools.mills()) {
    const double across = tool.kind == host::HostTool::Kind::Turn ? 2 * tool.cornerRadius
                          : tool.lathe()                          ? tool.width
                                                                  : tool.diameter;
    reading.tools.push_back({number, across, 0.0});
  }
  // The tool asked for, or the table's only tool, is in the spindle from
  // the start.
  if (o.spindleTool >= 0) {
    if (o.spindleTool > 0 && !tools.has(o.spindleTool))
      throw InputError{"--spindle " + std::to_string(o.spindleTool) + ": no such tool (give it with --tool or --tools)"};
    reading.toolInSpindle = o.spindleTool;
  } else if (tools.mills().size() == 1) {
    reading.toolInSpindle = tools.mills().begin()->first;
  }
  host::Program program = builtIn ? host::readGCode(host::defaultJobProgram(), "main-job.nc", reading)
                                  : host::readGCodeFile(o.program, reading);
  for (const std::string& message : program.messages) std::printf("%s\n", message.c_str());
  if (o.printMoves) printMoves(program);
  checkTools(program, tools, builtIn ? "main-job.nc" : o.program);
  // A bar for a lathe program, or when asked for; a box otherwise.
  std::optional<host::BarStock> bar;
  if (o.bar || (program.lathe && !o.stock)) {
    host::BarStock around;
    const bool cuts = host::barAround(program, around);
    if (!o.bar && !cuts) throw InputError{o.program + ": no feed moves, so no bar to guess; give one with --bar"};
    bar = o.bar ? host::BarStock{o.bar->first, cuts ? around.front : 0.0, o.bar->second} : around;
  }
  host::StockBox box;
  if (bar) {
    const double r = bar->diameter / 2;
    box = {{-r, -r, bar->front - bar->length}, {r, r, bar->front}};
  } else if (o.stock) {
    box = *o.stock;
  } else if (builtIn) {
    box = {{host::kDefaultStockMin[0], host::kDefaultStockMin[1], host::kDefaultStockMin[2]},
           {host::kDefaultStockMax[0], host::kDefaultStockMax[1], host::kDefaultStockMax[2]}};
  } else if (!host::stockAround(program, largestRadius(tools), box)) {
    throw InputError{o.program + ": no feed moves, so no stock to guess; give one with --stock"};
  } else if (box.min.x >= box.max.x || box.min.y >= box.max.y || box.min.z >= box.max.z) {
    throw InputError{o.program + ": the feed moves span no volume, so no stock to guess (a lathe program? read it "
                                 "with --lathe); give one with --stock"};
  }
  const host::ToolpathArrays path = host::toolpathOf(program);
  if (bar)
    std::printf("%s: %zu moves, %zu tool changes; bar of %.3g mm diameter, %.3g mm long from Z%.3g\n", name.c_str(),
                program.moves.size(), program.toolChanges.size(), bar->diameter, bar->length, bar->front);
  else
    std::printf("%s: %zu moves, %zu tool changes; stock %.3g,%.3g,%.3g to %.3g,%.3g,%.3g mm\n", name.c_str(),
                program.moves.size(), program.toolChanges.size(), box.min.x, box.min.y, box.min.z, box.max.x,
                box.max.y, box.max.z);
  auto job = std::make_unique<HostJob>();
  job->name = name;
  job->program = std::move(program);
  job->tools = std::move(tools);
  job->bar = bar;
  job->box = box;
  job->path = path;
  return job;
}

// The job handed to the view as an NC editor hands its own: tools, stock,
// models, toolpath, NC text, machine, then the display options. 0, or the
// exit status of a refusal (reported).
int handOver(Render* view, const Options& o, HostJob& job, ViewNews& news) {
  const SIM_ToolTableRecord toolTable = job.tools.record();
  if (const int32_t refused = SIM_SetToolTable(view, &toolTable); refused != 0) {
    std::fprintf(stderr, "korvane-view: the tools were refused: %s\n", refusalOf(refused));
    return kInputError;
  }
  SIM_StockRecord stock = SIM_GetStock(nullptr, 0);
  stock.identifier = 1;
  stock.kind = job.bar ? SIM_STOCK_CYLINDER : SIM_STOCK_BOX;
  stock.quality = static_cast<float>(o.quality);
  stock.refine = o.refine ? 1 : 0;
  if (job.bar) {
    stock.cylinderAxis = 2;
    stock.cylinderBase[2] = job.bar->front;
    stock.cylinderLength = -job.bar->length;
    stock.outerDiameter = job.bar->diameter;
  }
  // Light bar stock, so that the shading of the cut shows.
  stock.colour[0] = 0.62f, stock.colour[1] = 0.65f, stock.colour[2] = 0.70f;
  const double lo[3] = {job.box.min.x, job.box.min.y, job.box.min.z}, hi[3] = {job.box.max.x, job.box.max.y, job.box.max.z};
  for (int k = 0; k < 3; ++k) stock.boxMin[k] = lo[k], stock.boxMax[k] = hi[k];
  if (const int32_t refused = SIM_CreateStock(view, stock); refused != 0) {
    std::fprintf(stderr, "korvane-view: the stock box (%g, %g, %g) to (%g, %g, %g) was refused: %s\n", lo[0], lo[1], lo[2],
                 hi[0], hi[1], hi[2], refusalOf(refused));
    return kInputError;
  }
  if (!addGeometries(view, o.geometries)) return kInputError;
  const SIM_ToolpathRecord toolpath = job.path.record();
  if (const int32_t refused = SIM_SetToolpath(view, &toolpath); refused != 0) {
    std::fprintf(stderr, "korvane-view: the toolpath was refused: %s\n", refusalOf(refused));
    return kInputError;
  }
  SIM_SetNCFile(view, job.program.text.c_str(), nullptr, 0);
  if (!o.machine.empty()) {
    if (!loadMachine(view, o.machine, news, o.timeout)) return kInputError;
    // The stock sits on the table.
    float ox = 0, oy = 0, oz = 0;
    SIM_SuggestMachineOrigin(view, &ox, &oy, &oz);
    SIM_SetMachineOrigin(view, ox, oy, oz);
    if (o.collisions && !checkCollisions(view, o, news)) return kRunError;
  }
  setColourBy(view, o.colourBy);
  SIM_SetToolpathMode(view, o.toolpathMode);
  SIM_SetToolpathDisplay(view, &o.display);
  SIM_SetCuttingPlane(view, &o.section);
  SIM_Command(view, o.themeCommand, 0);
  SIM_SetStopConditions(view, o.stopConditions);
  if (o.compare) {
    const SIM_StockCompare compare{SIM_COMPARE_SHOWN, float(o.compare->first), float(o.compare->second)};
    SIM_SetStockCompare(view, &compare);
  }
  // The job's records are in millimetres; from here on the view shows,
  // and the console's records speak, the unit chosen.
  SIM_SetUnits(view, o.unit);
  return 0;
}

// A simulation file in place of a job: 0, or the exit status of a refusal.
int loadSimulationFile(Render* view, const std::string& path) {
  const int32_t loaded = SIM_LoadSimulation(view, path.c_str());
  if (loaded == 0) {
    std::printf("%s: loaded\n", path.c_str());
    return 0;
  }
  const char* reason = loaded == SIM_LOAD_UNREADABLE       ? "cannot be read"
                       : loaded == SIM_LOAD_BAD_CHECKSUM   ? "is not a simulation file, or a damaged one"
                       : loaded == SIM_LOAD_UNKNOWN_FORMAT ? "has a format this program does not read"
                       : loaded == SIM_LOAD_REFUSED        ? "holds a record the view refuses"
                       : loaded == SIM_LOAD_NO_FOLDER      ? "has model files that could not be written out"
                                                           : "is malformed";
  std::fprintf(stderr, "korvane-view: %s %s\n", path.c_str(), reason);
  return kInputError;
}

int run(const Options& o) {
  const auto runStart = Clock::now();
  HostTimes hostTimes;
  const bool fromFile = !o.loadSim.empty();
  const std::unique_ptr<HostJob> job = fromFile ? nullptr : readJob(o);
  const std::string name = fromFile ? std::filesystem::path(o.loadSim).stem().string() : job->name;
  hostTimes.read = secondsSince(runStart);

  // The view.
  if (!o.settingsDir.empty()) ::setenv("XDG_CONFIG_HOME", o.settingsDir.c_str(), 1);
  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "korvane-view: the window system could not be initialised (is DISPLAY set?)\n");
    return kRunError;
  }
  if (o.language >= 0) SIM_Localize(o.language);
  SIM_Hint(SIM_HINT_HEADLESS, o.headless ? 1 : 0);
  SIM_Hint(SIM_HINT_START_HIDDEN, o.hidden ? 1 : 0);
  SIM_Hint(SIM_HINT_OFFSCREEN_HOST, o.offscreen ? 1 : 0);
  SIM_Hint(SIM_HINT_TIMINGS, o.timings ? 1 : 0);
  Render* view = SIM_CreateView(0, true);
  if (!view) {
    std::fprintf(stderr, "korvane-view: the view window could not be created (OpenGL 4.3 core needed)\n");
    SIM_TerminateOpenGL();
    return kRunError;
  }
  ViewNews news;
  SIM_Window window = 0;
  SIM_GetWindowHandle(view, &window);
  SIM_SetMessageHandler(window, onMessage, &news);
  // The view's own handling stays on after ours: its progress bar, the
  // context menu on a click in the viewport.
  SIM_SetCallbackWindow(view, window, false);

  const int handedOver = fromFile ? loadSimulationFile(view, o.loadSim) : handOver(view, o, *job, news);
  if (handedOver != 0) return closeView(view, window, handedOver);
  // The viewer of presentation bundles: this program.
  std::error_code ownPath;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe", ownPath).string();
  if (!ownPath) SIM_SetParameter(view, SIM_PARAMETER_VIEWER_PROGRAM, self.c_str());
  // Once the stock is there: a lathe's part from the front, lit, as the
  // operator of a lathe with its tools before the spindle sees it from
  // above: Z across to the right, X towards the viewer's side (down), the
  // horizon free (it would stand Z up again); anything else from the corner.
  if (job && job->program.lathe) {
    // The command runs at the view's next frame; the pose waits for it.
    if (SIM_Question(view, SIM_QUESTION_KEEP_HORIZON)) SIM_Command(view, SIM_COMMAND_TOGGLE_KEEP_HORIZON, 0);
    for (int wait = 0; wait < 200 && SIM_Question(view, SIM_QUESTION_KEEP_HORIZON); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    SIM_CameraRecord across{};
    across.up[0] = -1;
    across.viewNormal[1] = -1;
    across.size[0] = across.size[1] = 100;
    SIM_SetCamera(view, &across);
    SIM_SetView(view, SIM_VIEW_FIT);
  } else {
    SIM_SetView(view, SIM_VIEW_ISOMETRIC);
  }
  // Stock 1 of a job read here; a file's first stock.
  const SIM_StockList stocks = SIM_GetStockModels(view);
  const int32_t stockId = stocks.count > 0 ? static_cast<int32_t>(stocks.stocks[0].identifier) : 1;
  // A file plays from the start, wherever it was saved.
  if (fromFile) SIM_SetProgress(view, 0.0, SIM_PROGRESS_TIME_FRACTION);
  for (const auto& [code, argument] : o.commands) SIM_Command(view, code, argument);
  if (o.ncSelection)
    SIM_SetNCFileSelection(view, true, o.ncSelection->first, static_cast<int32_t>(o.ncSelection->second));
  SIM_UpdateSpeed(view, o.speed - SIM_GetSpeed(view));

  // Play to the end, or cut it all at once (the exports below wait for it).
  const auto start = Clock::now();
  bool finished = true;
  if (o.atOnce) {
    const uint32_t everyMove[2] = {0, job ? static_cast<uint32_t>(job->path.moves.size()) : UINT32_MAX};
    SIM_CutStock(view, everyMove);
  } else {
    SIM_Play(view);
    int lastPercent = -1;
    finished = waitFor(
        [&] {
          const int percent = static_cast<int>(SIM_GetProgress(view) * 100);
          if (percent / 10 != lastPercent / 10) {
            std::printf("  %3d %% (line %d)\n", percent, news.line.load());
            std::fflush(stdout);
            lastPercent = percent;
          }
          if (SIM_GetProgress(view) >= o.stopAt) SIM_Pause(view);
          return SIM_IsPlaying(view) == 0;
        },
        o.timeout);
  }
  const double played = secondsSince(start);
  int status = 0;
  if (!finished) {
    std::fprintf(stderr, "korvane-view: playing did not finish within %g s\n", o.timeout);
    status = kRunError;
  } else if (!o.atOnce) {
    const double at = SIM_GetProgress(view);
    const bool condition = at < o.stopAt && at < 1.0;
    std::printf("played %s in %.2f s\n", o.stopAt < 1 || condition ? "to the stop" : "to the end", played);
    if (condition) std::printf("paused by a stop condition at %.4f of the job\n", at);
  }

  // The results.
  std::error_code error;
  std::filesystem::create_directories(o.out, error);
  if (status == 0 && o.stl) {
    const std::string stl = (std::filesystem::path(o.out) / (name + ".stl")).string();
    std::filesystem::remove(stl, error);  // what is there afterwards is this run's
    const bool written = SIM_ExportSolid(view, stockId, stl.c_str()) == 0 &&
                         waitFor([&] { return news.exportDone.load() > 0; }, 120) && std::filesystem::exists(stl);
    if (written) {
      std::printf("wrote %s (%ju bytes)\n", stl.c_str(), static_cast<uintmax_t>(std::filesystem::file_size(stl)));
    } else {
      std::fprintf(stderr, "korvane-view: %s could not be written\n", stl.c_str());
      status = kRunError;
    }
  }
  if (status == 0 && o.png) {
    const std::string png = (std::filesystem::path(o.out) / (name + ".png")).string();
    std::vector<uint8_t> rgba(size_t(o.width) * o.height * 4);
    const bool drawn = SIM_RenderImage(view, o.width, o.height, rgba.data()) == 0;
    const auto pngStart = Clock::now();
    const bool written = drawn && host::writePng(png, overBackground(std::move(rgba)), o.width, o.height);
    hostTimes.pngWrite = secondsSince(pngStart);
    if (written) {
      std::printf("wrote %s\n", png.c_str());
    } else {
      std::fprintf(stderr, "korvane-view: %s could not be written\n", png.c_str());
      status = kRunError;
    }
  }
  if (status == 0 && !o.uiShot.empty()) {
    if (writeWindowPicture(view, o.uiShot)) {
      std::printf("wrote %s\n", o.uiShot.c_str());
    } else {
      std::fprintf(stderr, "korvane-view: %s could not be written\n", o.uiShot.c_str());
      status = kRunError;
    }
  }
  // The stock check of the tool's non-cutting parts runs with the cut.
  if (o.collisions)
    std::printf(SIM_Question(view, SIM_QUESTION_HAS_COLLISION)
                    ? "stock check: a tool's shaft, shoulder or holder met the stock\n"
                    : "stock check: every tool's shaft, shoulder and holder stayed clear of the stock\n");
  // The files are written, but the solid is not to be trusted.
  if (news.tooCoarse) {
    std::fprintf(stderr,
                 "korvane-view: the stock's cells of %.3g mm are coarser than a quarter of the smallest tool's radius;"
                 " thin walls lose volume or vanish: give a higher --quality or a smaller stock\n",
                 SIM_GetStockCellSize(view, stockId));
    if (status == 0) status = kRunError;
  }
  if (status == 0 && !o.saveSim.empty()) {
    std::filesystem::remove(o.saveSim, error);
    SIM_ExportSimulation(view, o.saveSim.c_str());
    if (std::filesystem::exists(o.saveSim)) {
      std::printf("wrote %s (%ju bytes)\n", o.saveSim.c_str(),
                  static_cast<uintmax_t>(std::filesystem::file_size(o.saveSim)));
    } else {
      std::fprintf(stderr, "korvane-view: %s could not be written\n", o.saveSim.c_str());
      status = kRunError;
    }
  }
  if (status == 0 && !o.bundle.empty()) {
    if (SIM_ExportPresentation(view, o.bundle.c_str()) == 0) {
      std::printf("wrote %s (%ju bytes)\n", o.bundle.c_str(),
                  static_cast<uintmax_t>(std::filesystem::file_size(o.bundle)));
    } else {
      std::fprintf(stderr, "korvane-view: %s could not be written\n", o.bundle.c_str());
      status = kRunError;
    }
  }
  if (o.questions)
    for (uint32_t code = 0; code <= 56; ++code) printAnswer(view, code);
  if (o.keepOpen && status == 0) serveLines(view, o);
  hostTimes.whole = secondsSince(runStart);
  if (o.timings) printTimings(view, hostTimes, SIM_GetStockCellSize(view, stockId));
  if (o.interactive && status == 0) {
    // The window's X id lets a test or a script send it input.
    std::printf("the view stays open until its window is closed (window 0x%lx)\n", static_cast<unsigned long>(window));
    std::fflush(stdout);
    reportUntilClosed(view, news);
    std::printf("closed at %.1f %%\n", SIM_GetProgress(view) * 100);
  }
  return closeView(view, window, status);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(optionsOf(argc, argv));
  } catch (const InputError& e) {
    std::fprintf(stderr, "korvane-view: %s\n", e.what.c_str());
    return kInputError;
  } catch (const host::GCodeError& e) {
    std::fprintf(stderr, "korvane-view: %s\n", e.what());
    return kInputError;
  } catch (const host::ToolError& e) {
    std::fprintf(stderr, "korvane-view: %s\n", e.what());
    return kInputError;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvane-view: %s\n", e.what());
    return kRunError;
  }
}
