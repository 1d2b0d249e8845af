#include <korvane/KorvaneGCode.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "Block.h"
#include "Error.h"
#include "Parameters.h"
#include "CutterCompensation.h"
#include "ProgramFile.h"
#include "Splines.h"

namespace korvane::gcode {

Error::Error(std::string file, uint32_t line, uint32_t column, const std::string& reason)
    : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + reason),
      file_(std::move(file)),
      reason_(reason),
      line_(line),
      column_(column) {}

namespace {

constexpr double kInch = 25.4;
constexpr int kAxes = 6;  // x y z (mm), a b c (degrees)
constexpr char kAxisLetters[kAxes] = {'x', 'y', 'z', 'a', 'b', 'c'};
// Parameters that hold offsets, LinuxCNC's numbering: the G28 and G30
// positions, G92's offsets (with #5210 telling whether they apply), the
// coordinate system in force and each system's offsets, 20 apart.
constexpr int kG28Home = 5161, kG30Home = 5181, kG92Applied = 5210, kG92Offsets = 5211;
constexpr int kCoordinateSystem = 5220, kFirstSystem = 5221, kSystemStride = 20;
constexpr int kToolNumber = 5400, kPosition = 5420;
constexpr int kProbePlace = 5061, kProbeTripped = 5070;
// An arc's radii at its start and end may differ by this much (mm), and by
// this share of the radius more, before the arc is refused.
constexpr double kArcRadiusSlack = 0.05, kArcRadiusShare = 0.001;

using Axes = std::array<double, kAxes>;

enum class Plane { XY, ZX, YZ };
enum class FeedMode { PerMinute, InverseTime, PerRevolution };

// What M70 saves and M72 restores.
struct Modal {
  int motion = 800;  // tenths of the G code; 800: none (G80)
  Plane plane = Plane::XY;
  double units = 1;  // mm per program unit
  bool absolute = true, arcAbsolute = false, diameterMode = false;
  FeedMode feedMode = FeedMode::PerMinute;
  double feed = 0;   // program units per minute (or per revolution, or inverse time)
  double speed = 0;  // S: rpm, or surface speed in G96
  bool surfaceSpeed = false;
  double speedLimit = 0;  // G96 D
  int spindle = 0;        // 1 clockwise, -1 counter-clockwise, 0 stopped
  bool flood = false, mist = false;
};

// A canned cycle's words, kept from one hole to the next until G80 (in
// machine millimetres along the drill's axis; Q and P as given).
struct CycleWords {
  std::optional<double> bottom, retract, peck, dwell;
  bool retractToStart = true;  // G98; G99 retracts to R
};

struct Loop {
  std::string label;
  size_t file = 0, start = 0;
  OKeyword kind = OKeyword::While;
  int64_t remaining = 0;
};

struct Call {
  size_t file = 0, returnLine = 0;
  size_t loops = 0;
  std::optional<Modal> restore;  // M73
  // M98's calls: the program's first line, and how many more times it runs.
  bool numbered = false;
  size_t startFile = 0, startLine = 0;
  int64_t repeats = 0;
};

// Where the run goes on after a block that jumps (M98, M99).
struct Jump {
  size_t file = 0, line = 0;
};

std::optional<std::string> readFromDisk(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

class Interpreter : private PublishedValues {
 public:
  Interpreter(const Options& options, Program& program) : options_(options), out_(program), parameters_(*this) {
    for (int a = 0; a < kAxes; ++a) position_[size_t(a)] = 0;
    tool_ = selected_ = options.toolInSpindle;
    tools_ = options.tools;
    if (options.lathe) modal_.plane = Plane::ZX;
    parameters_.store(kCoordinateSystem, 1);
  }

  void run(std::string_view text, const std::string& name) {
    files_.push_back(programFileOf(text, name));
    out_.files.push_back(name);
    // Most lines of a program are moves: room for as many, not a copy of
    // every move each time the list doubles.
    out_.moves.reserve(std::min(files_[0].lines.size(), options_.moveLimit));
    size_t file = 0, line = files_[0].first;
    for (;;) {
      const ProgramFile& f = files_[file];
      if (line >= f.end) {
        if (!calls_.empty()) fail(file, line, 1, "the subroutine runs off the end of its file");
        break;
      }
      if (++blocks_ > options_.blockLimit)
        fail(file, line, 1, "the program ran past " + std::to_string(options_.blockLimit) + " blocks (a loop without end?)");
      file_ = file;
      line_ = line;
      size_t next = line + 1;
      try {
        if (grblCommand(f.lines[line])) {
          line = next;
          continue;
        }
        const BlockText text = blockTextOf(f.lines[line]);
        if (text.blockDelete) {
          line = next;
          continue;
        }
        if (f.oWords[line]) {
          next = oWord(text, *f.oWords[line], file, line);
          file = file_;  // a call or a return may change the file
          line = next;
          continue;
        }
        comments(text);
        const Block block = blockOf(text, parameters_);
        for (const Assignment& a : block.assignments) parameters_.set(a.ref, a.value, a.column);
        if (!execute(block)) {
          out_.ended = true;
          break;
        }
        if (jump_) {
          file = file_ = jump_->file;
          line = jump_->line;
          jump_.reset();
          continue;
        }
      } catch (const LineError& e) {
        fail(file, line, e.column(), e.what());
      }
      line = next;
    }
    // A program that ends with compensation on: its last move ends on its
    // own offset.
    try {
      if (nurbs_) fail(file_, nurbs_->line, nurbs_->column, "a NURBS block (G5.2) is left open: close it with G5.3");
      endCompensation();
    } catch (const LineError& e) {
      fail(file_, line_, e.column(), e.what());
    }
  }

 private:
  // Grbl's '$' lines ($H homing, $X unlock, $J= jogging, $$ settings) are
  // commands to the controller, not G-code: passed over with a warning.
  bool grblCommand(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != '$') return false;
    std::string command = line.substr(first);
    while (!command.empty() && (command.back() == '\r' || command.back() == ' ')) command.pop_back();
    message_(Message::Kind::Warning, "Grbl's " + command + " is a command to the controller, not G-code: passed over");
    return true;
  }

  [[noreturn]] void fail(size_t file, size_t line, size_t column, const std::string& reason) const {
    throw Error(files_[file].name, static_cast<uint32_t>(line + 1), static_cast<uint32_t>(column), reason);
  }

  // --- O-words --------------------------------------------------------

  double condition(const BlockText& text, const OWord& o) const {
    size_t at = o.expressionsAt;
    if (at >= text.text.size() || text.text[at] != '[')
      throw LineError(text.columnAt(at), "the O-word needs a bracketed expression");
    return ExpressionReader(text, parameters_).value(at);
  }

  size_t partnerOf(size_t line, const OWord& o, const char* missing) const {
    const auto it = files_[file_].partner.find(line);
    if (it == files_[file_].partner.end())
      throw LineError(o.column, "o" + o.label + " " + missing);
    return it->second;
  }

  // Runs an O-word line; returns the next line (of file_, which a call or
  // a return sets).
  size_t oWord(const BlockText& text, const OWord& o, size_t file, size_t line) {
    const ProgramFile& f = files_[file];
    switch (o.keyword) {
      case OKeyword::Sub: return partnerOf(line, o, "sub has no endsub") + 1;  // a definition: passed over
      case OKeyword::EndSub:
      case OKeyword::Return: return returnFrom(text, o);
      case OKeyword::Call: return call(text, o, line);
      case OKeyword::If: {
        size_t at = line;
        if (condition(text, o) != 0) return line + 1;
        // The first elseif that holds, else the else, else past the endif.
        for (;;) {
          const std::optional<size_t> branch = f.next(o.label, at, {OKeyword::ElseIf, OKeyword::Else, OKeyword::EndIf});
          if (!branch) throw LineError(o.column, "o" + o.label + " if has no endif");
          const OWord& b = *f.oWords[*branch];
          if (b.keyword != OKeyword::ElseIf) return *branch + 1;
          if (condition(blockTextOf(f.lines[*branch]), b) != 0) return *branch + 1;
          at = *branch;
        }
      }
      case OKeyword::ElseIf:
      case OKeyword::Else: {
        // Reached from a branch that ran: the if is done.
        const std::optional<size_t> end = f.next(o.label, line, {OKeyword::EndIf});
        if (!end) throw LineError(o.column, "o" + o.label + " has no endif");
        return *end + 1;
      }
      case OKeyword::EndIf: return line + 1;
      case OKeyword::Do:
        loops_.push_back({o.label, file, line, OKeyword::Do, 0});
        return line + 1;
      case OKeyword::While: {
        if (f.closesDo[line]) {
          const size_t start = partnerOf(line, o, "while has no do");
          if (condition(text, o) != 0) return start + 1;
          popLoop(file, start);
          return line + 1;
        }
        const size_t end = partnerOf(line, o, "while has no endwhile");
        if (condition(text, o) == 0) {
          popLoop(file, line);
          return end + 1;
        }
        if (loops_.empty() || loops_.back().file != file || loops_.back().start != line)
          loops_.push_back({o.label, file, line, OKeyword::While, 0});
        return line + 1;
      }
      case OKeyword::EndWhile: return partnerOf(line, o, "endwhile has no while");
      case OKeyword::Repeat: {
        const size_t end = partnerOf(line, o, "repeat has no endrepeat");
        const double times = condition(text, o);
        if (times < 1) return end + 1;
        loops_.push_back({o.label, file, line, OKeyword::Repeat, static_cast<int64_t>(std::min(times, 1e15))});
        return line + 1;
      }
      case OKeyword::EndRepeat: {
        const size_t start = partnerOf(line, o, "endrepeat has no repeat");
        if (!loops_.empty() && loops_.back().start == start && --loops_.back().remaining > 0) return start + 1;
        popLoop(file, start);
        return line + 1;
      }
      case OKeyword::Break:
      case OKeyword::Continue: {
        const Loop* loop = innermostLoop(o.label);
        if (!loop) throw LineError(o.column, "o" + o.label + " is in no loop");
        const Loop found = *loop;
        const size_t end = partnerOf(found.start, *f.oWords[found.start], "loop has no end");
        if (o.keyword == OKeyword::Break) {
          popLoop(file, found.start);
          return end + 1;
        }
        // Continue: to the loop's test (a do's is its closing while).
        if (found.kind == OKeyword::While) return found.start;
        return end;
      }
      case OKeyword::Program: return line + 1;  // a label M98 finds
    }
    return line + 1;
  }

  const Loop* innermostLoop(const std::string& label) const {
    const size_t floor = calls_.empty() ? 0 : calls_.back().loops;
    for (size_t i = loops_.size(); i-- > floor;)
      if (loops_[i].label == label && loops_[i].file == file_) return &loops_[i];
    return nullptr;
  }

  void popLoop(size_t file, size_t start) {
    for (size_t i = loops_.size(); i-- > 0;) {
      if (loops_[i].file == file && loops_[i].start == start) {
        loops_.resize(i);
        return;
      }
    }
  }

  size_t call(const BlockText& text, const OWord& o, size_t line) {
    std::vector<double> arguments;
    size_t at = o.expressionsAt;
    const ExpressionReader reader(text, parameters_);
    while (at < text.text.size()) {
      if (text.text[at] != '[') throw LineError(text.columnAt(at), "a call's arguments are bracketed expressions");
      arguments.push_back(reader.value(at));
    }
    const auto [file, start] = findSub(o, text);
    parameters_.enterCall(arguments, o.column);
    valueReturned_ = false;
    calls_.push_back({file_, line + 1, loops_.size(), std::nullopt});
    file_ = file;
    return start + 1;
  }

  std::pair<size_t, size_t> findSub(const OWord& o, const BlockText& text) {
    for (size_t f = 0; f < files_.size(); ++f) {
      const auto it = files_[f].labelLines.find(o.label);
      if (it == files_[f].labelLines.end()) continue;
      for (const size_t l : it->second)
        if (files_[f].oWords[l]->keyword == OKeyword::Sub) return {f, l};
    }
    // A named subroutine may live in a file of its own name.
    if (o.label.size() > 2 && o.label.front() == '<') {
      const std::string name = o.label.substr(1, o.label.size() - 2) + ".ngc";
      std::vector<std::string> folders{folderOf(files_[0].name)};
      folders.insert(folders.end(), options_.searchPath.begin(), options_.searchPath.end());
      const auto read = options_.readFile ? options_.readFile : readFromDisk;
      for (const std::string& folder : folders) {
        const std::string path = folder + "/" + name;
        if (const std::optional<std::string> content = read(path)) {
          files_.push_back(programFileOf(*content, path));
          out_.files.push_back(path);
          const ProgramFile& f = files_.back();
          const auto it = f.labelLines.find(o.label);
          if (it != f.labelLines.end())
            for (const size_t l : it->second)
              if (f.oWords[l]->keyword == OKeyword::Sub) return {files_.size() - 1, l};
          throw LineError(o.column, path + " does not define o" + o.label + " sub");
        }
      }
    }
    (void)text;
    throw LineError(o.column, "no subroutine o" + o.label);
  }

  size_t returnFrom(const BlockText& text, const OWord& o) {
    if (calls_.empty()) throw LineError(o.column, "return or endsub outside a subroutine");
    if (calls_.back().numbered) throw LineError(o.column, "return or endsub in a program M98 called (it ends with M99)");
    size_t at = o.expressionsAt;
    std::optional<double> value;
    if (at < text.text.size()) value = ExpressionReader(text, parameters_).value(at);
    const Call c = calls_.back();
    calls_.pop_back();
    loops_.resize(c.loops);
    parameters_.leaveCall();
    if (c.restore && compensation_ && c.restore->plane != modal_.plane)
      throw LineError(o.column, "the plane cannot change under cutter compensation");
    if (c.restore) modal_ = *c.restore;
    valueReturned_ = value.has_value();
    if (value) value_ = *value;
    file_ = c.file;
    return c.returnLine;
  }

  // --- comments ----------------------------------------------------------

  // #n and #<name> in a PRINT or DEBUG text take their values.
  std::string substituted(const std::string& text) const {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '#') {
        out.push_back(text[i]);
        continue;
      }
      BlockText ref;
      size_t end = i + 1;
      if (end < text.size() && text[end] == '<') {
        const size_t close = text.find('>', end);
        if (close == std::string::npos) {
          out.push_back('#');
          continue;
        }
        end = close + 1;
      } else {
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
      }
      try {
        ref = blockTextOf(text.substr(i, end - i));
        size_t at = 0;
        std::ostringstream v;
        v << ExpressionReader(ref, parameters_).value(at);
        out += v.str();
      } catch (const LineError&) {
        out += "######";
      }
      i = end - 1;
    }
    return out;
  }

  void comments(const BlockText& text) {
    for (const Comment& c : text.comments) {
      std::string body = c.text;
      const size_t start = body.find_first_not_of(" \t");
      if (start == std::string::npos) continue;
      body = body.substr(start);
      std::string head = body.substr(0, std::min<size_t>(body.size(), 6));
      std::transform(head.begin(), head.end(), head.begin(), [](unsigned char ch) { return std::tolower(ch); });
      Message::Kind kind;
      size_t skip;
      if (head.rfind("msg,", 0) == 0) kind = Message::Kind::Message, skip = 4;
      else if (head.rfind("print,", 0) == 0) kind = Message::Kind::Print, skip = 6;
      else if (head.rfind("debug,", 0) == 0) kind = Message::Kind::Debug, skip = 6;
      else continue;
      std::string message = body.substr(skip);
      if (kind != Message::Kind::Message) message = substituted(message);
      message_(kind, message);
    }
  }

  void message_(Message::Kind kind, const std::string& text) {
    out_.messages.push_back({kind, text, static_cast<uint32_t>(line_ + 1), static_cast<uint32_t>(file_)});
  }

  // --- blocks ------------------------------------------------------------

  // Runs a block in RS274NGC's order; false when it ends the program.
  bool execute(const Block& b);

  // The read-only values, from the state as it stands when a program
  // reads them.
  double numbered(int number) const override {
    if (number >= kPosition && number < kPosition + kAxes) return toProgram(number - kPosition, position_[size_t(number - kPosition)]);
    return number == kToolNumber ? tool_ : 0.0;
  }
  std::optional<double> named(const std::string& name) const override {
    if (name.size() == 2 && name[0] == '_') {
      const char* letter = std::find(kAxisLetters, kAxisLetters + kAxes, name[1]);
      if (letter != kAxisLetters + kAxes) return numbered(kPosition + int(letter - kAxisLetters));
    }
    const auto flag = [](bool b) { return std::optional<double>(b ? 1.0 : 0.0); };
    if (name == "_current_tool") return tool_;
    if (name == "_selected_tool") return selected_;
    if (name == "_metric") return flag(modal_.units == 1);
    if (name == "_imperial") return flag(modal_.units != 1);
    if (name == "_absolute") return flag(modal_.absolute);
    if (name == "_incremental") return flag(!modal_.absolute);
    if (name == "_feed") return modal_.feed;
    if (name == "_rpm") return modal_.speed;
    if (name == "_spindle_on") return flag(modal_.spindle != 0);
    if (name == "_flood") return flag(modal_.flood);
    if (name == "_mist") return flag(modal_.mist);
    // 540-580 for G54-G58, then 590-593 for G59-G59.3.
    if (name == "_coord_system") return system() <= 6 ? 530.0 + 10 * system() : 584.0 + system();
    if (name == "_lathe_diameter_mode") return flag(modal_.diameterMode);
    if (name == "_call_level") return static_cast<double>(calls_.size());
    if (name == "_line") return static_cast<double>(line_ + 1);
    if (name == "_value_returned") return flag(valueReturned_);
    if (name == "_value" && value_) return value_;
    return std::nullopt;
  }

  int system() const {
    return std::clamp(static_cast<int>(parameters_.value({kCoordinateSystem, ""}, 1)), 1, 9);
  }
  double systemOffset(int system, int axis) const {
    return parameters_.value({kFirstSystem + kSystemStride * (system - 1) + axis, ""}, 1);
  }
  double g92Offset(int axis) const {
    return parameters_.value({kG92Applied, ""}, 1) != 0 ? parameters_.value({kG92Offsets + axis, ""}, 1) : 0.0;
  }
  double offset(int axis) const { return systemOffset(system(), axis) + g92Offset(axis); }
  double toProgram(int axis, double machine) const {
    const double p = machine - offset(axis);
    return axis < 3 ? p / modal_.units : p;
  }
  // A word's value in machine units (mm, degrees), diameters halved.
  double length(int axis, double value) const {
    double v = axis < 3 ? value * modal_.units : value;
    if (axis == 0 && modal_.diameterMode) v /= 2;
    return v;
  }

  Axes targetOf(const Block& b, bool machine) const {
    Axes target = position_;
    for (int a = 0; a < kAxes; ++a) {
      const char letter = kAxisLetters[a];
      if (!b.has(letter)) continue;
      const double v = length(a, b[letter]);
      if (machine) target[size_t(a)] = v;
      else if (modal_.absolute) target[size_t(a)] = v + offset(a);
      else target[size_t(a)] = position_[size_t(a)] + v;
      target[size_t(a)] = finite(target[size_t(a)], b.words.at(letter).column, "the position");
    }
    if (!machine) polar(b, target);
    return target;
  }

  static bool hasAxisWord(const Block& b) {
    for (const char c : kAxisLetters)
      if (b.has(c)) return true;
    return b.has('@') || b.has('^');
  }

  // @ and ^: the point's distance from the program's origin in XY and its
  // angle in degrees, given (G90) or added to the tool's own (G91); false
  // for a block without them.
  bool polar(const Block& b, Axes& target) const {
    const bool radius = b.has('@'), angle = b.has('^');
    if (!radius && !angle) return false;
    const size_t column = b.words.at(radius ? '@' : '^').column;
    if (modal_.plane != Plane::XY) throw LineError(column, "polar coordinates work in the XY plane only");
    if (b.has('x') || b.has('y')) throw LineError(column, "polar coordinates with X or Y on one line");
    const double px = toProgram(0, position_[0]), py = toProgram(1, position_[1]);
    double r = std::hypot(px, py), a = std::atan2(py, px) * 180 / M_PI;
    if (radius) r = modal_.absolute ? b['@'] : r + b['@'];
    if (angle) a = modal_.absolute ? b['^'] : a + b['^'];
    target[0] = finite(r * std::cos(a * M_PI / 180) * modal_.units + offset(0), column, "the position");
    target[1] = finite(r * std::sin(a * M_PI / 180) * modal_.units + offset(1), column, "the position");
    return true;
  }

  // Revolutions per minute over a move to `to`, signed by the direction.
  // Under G96 the speed keeps the surface speed at the larger of the
  // move's two radii (|X|), which never asks more of the spindle than its
  // ends do; D caps it.
  double spindleRpm(const Axes& to, size_t column) const {
    if (modal_.spindle == 0) return 0;
    double rpm = modal_.speed;
    if (modal_.surfaceSpeed) {
      const double radius = std::max(std::abs(position_[0]), std::abs(to[0]));
      // Surface speed in m/min (ft/min in inches).
      const double metres = modal_.speed * (modal_.units == 1 ? 1.0 : 0.3048);
      if (radius < 1e-6 && modal_.speedLimit <= 0) {
        // On the axis without D the machine's own limit would hold, which
        // the program does not give: a feed per turn cannot be known, any
        // other move keeps the speed the spindle last turned at.
        if (modal_.feedMode == FeedMode::PerRevolution)
          throw LineError(column, "G96 without D (the highest speed) for a feed per revolution on the axis");
        return modal_.spindle * lastSurfaceRpm_;
      }
      rpm = radius >= 1e-6 ? metres * 1000 / (2 * M_PI * radius) : modal_.speedLimit;
      if (modal_.speedLimit > 0) rpm = std::min(rpm, modal_.speedLimit);
    }
    return modal_.spindle * finite(rpm, column, "the spindle speed");
  }

  Move moveTo(Motion motion, const Axes& target, size_t column) {
    Move m;
    m.motion = motion;
    m.end = {target[0], target[1], target[2]};
    m.rotary = {target[3], target[4], target[5]};
    m.spindle = spindleRpm(target, column);
    if (modal_.surfaceSpeed) lastSurfaceRpm_ = std::abs(m.spindle);
    m.flood = modal_.flood;
    m.mist = modal_.mist;
    m.tool = tool_;
    m.toolLength = toolLength_;
    m.line = static_cast<uint32_t>(line_ + 1);
    m.column = static_cast<uint32_t>(column);
    m.file = static_cast<uint32_t>(file_);
    return m;
  }

  // The feed of move m, `lengthMm` long.
  double feedFor(const Move& m, double lengthMm, size_t column) const {
    switch (modal_.feedMode) {
      case FeedMode::PerMinute: return modal_.feed * modal_.units;
      case FeedMode::InverseTime: return finite(lengthMm * modal_.feed, column, "the feed");
      case FeedMode::PerRevolution:
        if (m.spindle == 0) throw LineError(column, "feed per revolution (G95) while the spindle stands");
        return finite(modal_.feed * modal_.units * std::abs(m.spindle), column, "the feed");
    }
    return 0;
  }

  // A programmed move: the program stands at its end; the tool goes there,
  // or beside it under cutter compensation.
  void emit(const Move& m) {
    const Point from{position_[0], position_[1], position_[2]};
    position_ = {m.end.x, m.end.y, m.end.z, m.rotary.x, m.rotary.y, m.rotary.z};
    if (!compensation_) return place(m);
    if (out_.moves.size() + compensation_->held() >= options_.moveLimit)
      throw LineError(m.column, "the program made more than " + std::to_string(options_.moveLimit) + " moves");
    compensation_->add(m, from, m.column);
  }

  // Moves made so far, those compensation still holds included: a stop or
  // a tool change comes after them.
  size_t movesMade() const { return out_.moves.size() + (compensation_ ? compensation_->held() : 0); }

  // The tool's move, out.
  void place(const Move& m) {
    if (out_.moves.size() >= options_.moveLimit)
      throw LineError(m.column, "the program made more than " + std::to_string(options_.moveLimit) + " moves");
    if (out_.moves.empty()) out_.start = toolAt_;
    out_.moves.push_back(m);
    toolAt_ = m.end;
  }

  void compensate(int code, const Block& b);
  void setToolEntry(const Block& b, int l, size_t column);
  void endCompensation() {
    if (compensation_) compensation_->finish();
    compensation_.reset();
  }

  void straight(Motion motion, const Axes& target, const Block& b, size_t column) {
    Move m = moveTo(motion, target, column);
    if (motion == Motion::Feed) {
      double len = 0;
      for (int a = 0; a < 3; ++a) len += (target[size_t(a)] - position_[size_t(a)]) * (target[size_t(a)] - position_[size_t(a)]);
      len = std::sqrt(len);
      if (len == 0) {
        double turn = 0;
        for (int a = 3; a < kAxes; ++a) turn = std::max(turn, std::abs(target[size_t(a)] - position_[size_t(a)]));
        len = turn;  // a rotary move alone: degrees for millimetres
      }
      m.feed = feedFor(m, len, column);
      if (m.feed <= 0 && modal_.feedMode != FeedMode::PerRevolution)
        throw LineError(column, "a feed move without a feed rate (F)");
    }
    (void)b;
    emit(m);
  }

  void arc(bool clockwise, const Block& b, size_t column);
  void cubicSpline(const Block& b, size_t column);
  void quadraticSpline(const Block& b, size_t column);
  void openNurbs(const Block& b, size_t column);
  void nurbsPoint(const Block& b, size_t column);
  void closeNurbs(size_t column);
  void chords(const std::function<Vec3(double)>& curve, size_t pieces, size_t column);
  void cannedCycle(int code, const Block& b, size_t column);
  void threadingCycle(const Block& b, size_t column);

  // M98 P.. L..: the numbered program P (a line "O<P>" in one of the files
  // read), L times; its M99 comes back here. Parameters are shared, as
  // such programs expect.
  Jump callNumbered(const Block& b) {
    const size_t column = b.mCodes.front().column;
    if (!b.has('p') || b['p'] < 0 || b['p'] != std::floor(b['p']) || b['p'] > 1e9)
      throw LineError(column, "M98 needs P, the number of the program to call");
    const double times = b.has('l') ? b['l'] : 1;
    if (times < 0 || times != std::floor(times)) throw LineError(column, "M98's L is a whole number of times");
    const std::string label = std::to_string(static_cast<long long>(b['p']));
    for (size_t f = 0; f < files_.size(); ++f) {
      const auto it = files_[f].labelLines.find(label);
      if (it == files_[f].labelLines.end()) continue;
      for (const size_t l : it->second) {
        if (files_[f].oWords[l]->keyword != OKeyword::Program) continue;
        if (times == 0) return {file_, line_ + 1};
        if (calls_.size() >= Parameters::kMaxCallDepth)
          throw LineError(column, "programs call each other deeper than " + std::to_string(Parameters::kMaxCallDepth));
        Call c{file_, line_ + 1, loops_.size(), std::nullopt, true, f, l + 1, static_cast<int64_t>(std::min(times, 1e15)) - 1};
        calls_.push_back(c);
        return {f, l + 1};
      }
    }
    throw LineError(column, "no program O" + label + " for M98");
  }

  // M99 in a called program: again while L lasts, then back to the caller.
  Jump returnNumbered() {
    Call& c = calls_.back();
    if (c.repeats > 0) {
      --c.repeats;
      loops_.resize(c.loops);
      return {c.startFile, c.startLine};
    }
    const Jump back{c.file, c.returnLine};
    loops_.resize(c.loops);
    calls_.pop_back();
    return back;
  }
  void goHome(const Block& b, int home, size_t column);
  void setCoordinates(const Block& b, size_t column);
  void setG92(const Block& b, size_t column);

  const Options& options_;
  Program& out_;
  std::vector<ProgramFile> files_;
  Parameters parameters_;
  bool valueReturned_ = false;     // by the last return
  std::optional<double> value_;    // the last value a return gave
  std::vector<Loop> loops_;
  std::vector<Call> calls_;
  std::optional<Modal> saved_;  // M70
  CycleWords cycle_;
  Modal modal_;
  Axes position_{};
  int tool_ = 0, selected_ = 0;
  double toolLength_ = 0;
  double lastSurfaceRpm_ = 0;  // what G96 last turned the spindle at
  std::vector<ToolEntry> tools_;  // the host's table, as G10 L1/L10/L11 change it
  // The last G5's second control point, from its end (mm): the next G5
  // without I and J starts along the same tangent.
  std::optional<std::array<double, 2>> cubicLead_;
  // An open G5.2 block: its control points (the start first), weights,
  // order, and where it began.
  struct NurbsBlock {
    std::vector<Vec3> points;
    std::vector<double> weights;
    int order = 3;
    size_t line = 0, column = 1;
  };
  std::optional<NurbsBlock> nurbs_;
  std::optional<CutterCompensation> compensation_;  // G41/G42 in force
  std::optional<Jump> jump_;                        // set by M98 and M99
  Point toolAt_;  // where the tool stands: the program's place, or beside it under compensation
  uint64_t blocks_ = 0;
  size_t file_ = 0, line_ = 0;
};

// G81, G5.2: a code in tenths as programs write it.
std::string gName(int code) {
  return "G" + std::to_string(code / 10) + (code % 10 ? "." + std::to_string(code % 10) : "");
}

// The modal group of a G code (tenths), as RS274NGC has them; -1 for one
// the interpreter does not know.
int groupOf(int code) {
  switch (code) {
    case 0: case 10: case 20: case 30: case 330: case 331: case 382: case 383: case 384: case 385:
    case 730: case 760: case 800: case 810: case 820: case 830: case 840: case 850: case 860: case 870:
    case 880: case 890: case 50: case 51: case 52: case 53:
    case 700: case 710: case 711: case 712: case 720: case 721: case 722:  // lathe cycles: known, not read yet
      return 1;
    case 170: case 180: case 190: case 171: case 181: case 191: return 2;
    case 900: case 910: return 3;
    case 901: case 911: return 4;
    case 930: case 940: case 950: return 5;
    case 200: case 210: return 6;
    case 400: case 410: case 420: case 411: case 421: return 7;
    case 430: case 431: case 432: case 490: return 8;
    case 980: case 990: return 10;
    case 540: case 550: case 560: case 570: case 580: case 590: case 591: case 592: case 593: return 12;
    case 610: case 611: case 640: return 13;
    case 960: case 970: return 14;
    case 70: case 80: return 15;
    case 40: case 100: case 280: case 281: case 300: case 301: case 530: case 920: case 921: case 922: case 923:
      return 0;
    default: return -1;
  }
}

int mGroupOf(int code) {
  switch (code) {
    case 0: case 10: case 20: case 300: case 600: case 980: case 990: return 4;
    case 60: case 610: return 6;
    case 30: case 40: case 50: case 190: return 7;
    case 70: case 80: case 90: return 8;
    case 480: case 490: case 500: case 510: case 520: case 530: return 9;
    case 700: case 710: case 720: case 730: return 10;
    case 620: case 630: case 640: case 650: case 660: case 670: case 680: return 5;  // I/O: nothing to simulate
    default: return code >= 1000 && code <= 1990 && code % 10 == 0 ? 11 : -1;
  }
}

bool Interpreter::execute(const Block& b) {
  // The codes of the block by group; two of one group conflict.
  std::array<int, 16> g;
  g.fill(-1);
  for (const Word& w : b.gCodes) {
    const int code = codeOf(w);
    const int group = groupOf(code);
    if (group < 0) throw LineError(w.column, "unknown G code " + gName(code));
    if (group == 0 && g[0] >= 0) throw LineError(w.column, "two G codes of group 0 on one line");
    if (g[size_t(group)] >= 0 && group != 0) throw LineError(w.column, "two G codes of one modal group on one line");
    g[size_t(group)] = code;
  }
  std::array<int, 12> m;
  m.fill(-1);
  std::vector<int> coolant;
  for (const Word& w : b.mCodes) {
    const int code = codeOf(w);
    const int group = mGroupOf(code);
    if (group < 0) throw LineError(w.column, "unknown M code M" + std::to_string(code / 10));
    if (group == 8) {
      coolant.push_back(code);
      continue;
    }
    if (m[size_t(group)] >= 0) throw LineError(w.column, "two M codes of one modal group on one line");
    m[size_t(group)] = code;
  }
  const auto column = [&](char letter) { return b.has(letter) ? b.words.at(letter).column : size_t{1}; };

  // 2-5: feed mode, feed, speed, tool selection.
  if (g[5] >= 0) modal_.feedMode = g[5] == 930 ? FeedMode::InverseTime : g[5] == 940 ? FeedMode::PerMinute : FeedMode::PerRevolution;
  if (b.has('f')) {
    if (b['f'] < 0) throw LineError(column('f'), "a negative feed rate");
    modal_.feed = b['f'];
  } else if (modal_.feedMode == FeedMode::InverseTime && g[1] >= 10 && g[1] <= 30 && g[1] % 10 == 0) {
    throw LineError(b.gCodes.front().column, "inverse time feed (G93) needs F on every feed move");
  }
  if (b.has('s')) {
    if (b['s'] < 0) throw LineError(column('s'), "a negative spindle speed");
    modal_.speed = b['s'];
  }
  if (b.has('t')) {
    if (b['t'] < 0 || b['t'] != std::floor(b['t'])) throw LineError(column('t'), "a tool number must be a whole number");
    selected_ = static_cast<int>(b['t']);
    if (options_.lathe && selected_ != tool_) {
      if (compensation_) throw LineError(column('t'), "the tool cannot change under cutter compensation (G40 first)");
      tool_ = selected_;
      out_.toolChanges.push_back({tool_, movesMade(), static_cast<uint32_t>(line_ + 1)});
    }
  }
  // 7: tool change.
  if (m[6] == 60) {
    if (selected_ != tool_ && compensation_)
      throw LineError(b.mCodes.front().column, "the tool cannot change under cutter compensation (G40 first)");
    if (selected_ != tool_) {
      tool_ = selected_;
      out_.toolChanges.push_back({tool_, movesMade(), static_cast<uint32_t>(line_ + 1)});
    }
  } else if (m[6] == 610) {
    if (!b.has('q')) throw LineError(b.mCodes.front().column, "M61 needs Q");
    if (compensation_) throw LineError(b.mCodes.front().column, "the tool cannot change under cutter compensation (G40 first)");
    tool_ = selected_ = static_cast<int>(b['q']);
    out_.toolChanges.push_back({tool_, movesMade(), static_cast<uint32_t>(line_ + 1)});
  }
  // 8: spindle.
  if (m[7] == 30) modal_.spindle = 1;
  if (m[7] == 40) modal_.spindle = -1;
  if (m[7] == 50) modal_.spindle = 0;
  // 9: modal state.
  if (m[10] == 700) saved_ = modal_;
  if (m[10] == 710) saved_.reset();
  if (m[10] == 720) {
    if (!saved_) throw LineError(b.mCodes.front().column, "M72 without a state saved by M70");
    if (compensation_ && saved_->plane != modal_.plane)
      throw LineError(b.mCodes.front().column, "the plane cannot change under cutter compensation");
    modal_ = *saved_;
  }
  if (m[10] == 730) {
    if (calls_.empty()) throw LineError(b.mCodes.front().column, "M73 outside a subroutine");
    calls_.back().restore = modal_;
  }
  // 10: coolant.
  for (const int c : coolant) {
    if (c == 70) modal_.mist = true;
    if (c == 80) modal_.flood = true;
    if (c == 90) modal_.mist = modal_.flood = false;
  }
  // 12: user codes.
  if (m[11] >= 0) message_(Message::Kind::Warning, "M" + std::to_string(m[11] / 10) + " (a user code) is ignored");
  // 14-21: plane, units, compensation, length offset, system, path, distance, retract.
  if (g[2] >= 0) {
    if (g[2] % 10) throw LineError(b.gCodes.front().column, "the U, V and W planes are not supported");
    if (compensation_) throw LineError(b.gCodes.front().column, "the plane cannot change under cutter compensation");
    modal_.plane = g[2] == 170 ? Plane::XY : g[2] == 180 ? Plane::ZX : Plane::YZ;
  }
  if (g[6] >= 0) modal_.units = g[6] == 200 ? kInch : 1.0;
  if (g[15] >= 0) modal_.diameterMode = g[15] == 70;
  if (g[7] >= 0) compensate(g[7], b);
  if (g[8] == 490) toolLength_ = 0;
  if (g[8] == 430) {
    const int which = b.has('h') ? static_cast<int>(b['h']) : tool_;
    toolLength_ = 0;
    for (const ToolEntry& t : tools_)
      if (t.number == which) toolLength_ = t.length;
  }
  if (g[8] == 431) toolLength_ = b.has('z') ? b['z'] * modal_.units : 0;
  if (g[8] == 432) {
    // An offset more: the H tool's length, or Z as given.
    if (b.has('h')) {
      for (const ToolEntry& t : tools_)
        if (t.number == static_cast<int>(b['h'])) toolLength_ += t.length;
    } else if (b.has('z')) {
      toolLength_ += b['z'] * modal_.units;
    }
  }
  if (g[12] >= 0) {
    const int system = g[12] < 590 ? (g[12] - 540) / 10 + 1 : g[12] == 590 ? 6 : 6 + (g[12] - 590);
    parameters_.store(kCoordinateSystem, system);
  }
  if (g[3] >= 0) modal_.absolute = g[3] == 900;
  if (g[10] >= 0) cycle_.retractToStart = g[10] == 980;
  if (g[1] == 800) {
    const bool retractToStart = cycle_.retractToStart;
    cycle_ = CycleWords{};
    cycle_.retractToStart = retractToStart;
  }
  if (g[4] >= 0) modal_.arcAbsolute = g[4] == 901;
  if (g[14] == 960) {
    if (!b.has('s')) throw LineError(b.gCodes.front().column, "G96 without S (the surface speed)");
    if (b.has('d') && b['d'] <= 0) throw LineError(b.words.at('d').column, "G96's D (the highest speed) must be positive");
    modal_.surfaceSpeed = true;
    if (b.has('d')) modal_.speedLimit = b['d'];
  } else if (g[14] == 970) {
    // Without S the spindle keeps the speed G96 last turned it at.
    if (modal_.surfaceSpeed && !b.has('s')) modal_.speed = lastSurfaceRpm_;
    modal_.surfaceSpeed = false;
  }
  // 22: homes, coordinate data, offsets.
  if (compensation_ && (g[0] == 530 || g[0] == 280 || g[0] == 300))
    throw LineError(b.gCodes.front().column, gName(g[0]) + " cannot move under cutter compensation");
  // G43.1 and G43.2 take their axis words as offsets, not as a move.
  bool axesUsed = g[8] == 431 || (g[8] == 432 && !b.has('h'));
  switch (g[0]) {
    case 280: goHome(b, kG28Home, b.gCodes.front().column); axesUsed = true; break;
    case 300: goHome(b, kG30Home, b.gCodes.front().column); axesUsed = true; break;
    case 281:
    case 301:
      for (int a = 0; a < kAxes; ++a) parameters_.set({(g[0] == 281 ? kG28Home : kG30Home) + a, ""}, position_[size_t(a)], 1);
      break;
    case 100: setCoordinates(b, b.gCodes.front().column); axesUsed = true; break;
    case 920: setG92(b, b.gCodes.front().column); axesUsed = true; break;
    case 921:
    case 922:
      parameters_.set({kG92Applied, ""}, 0, 1);
      if (g[0] == 921)
        for (int a = 0; a < kAxes; ++a) parameters_.set({kG92Offsets + a, ""}, 0, 1);
      break;
    case 923: parameters_.set({kG92Applied, ""}, 1, 1); break;
    default: break;
  }
  // 23: motion.
  if (nurbs_ && g[1] >= 0 && g[1] != 53)
    throw LineError(b.gCodes.front().column, "a NURBS block (G5.2) is still open: close it with G5.3");
  if (g[1] == 52) openNurbs(b, b.gCodes.front().column);
  if (g[1] == 53) {
    closeNurbs(b.gCodes.front().column);
    g[1] = 800;
  }
  if (g[1] >= 0) modal_.motion = g[1];
  const bool machine = g[0] == 530;
  if (hasAxisWord(b) && !axesUsed) {
    const size_t at = b.gCodes.empty() ? 1 : b.gCodes.front().column;
    switch (modal_.motion) {
      case 0: straight(Motion::Rapid, targetOf(b, machine), b, at); break;
      case 10: straight(Motion::Feed, targetOf(b, machine), b, at); break;
      case 20:
      case 30:
        if (machine) throw LineError(at, "G53 moves in straight lines only");
        arc(modal_.motion == 20, b, at);
        break;
      case 800: throw LineError(at, "axis words without a motion (G80 is in force)");
      case 50:
      case 51:
        if (machine) throw LineError(at, "G53 with a spline");
        if (modal_.motion == 50) cubicSpline(b, at);
        else quadraticSpline(b, at);
        break;
      case 52:
        if (machine) throw LineError(at, "G53 in a NURBS block");
        nurbsPoint(b, at);
        break;
      case 382: case 383: case 384: case 385:
        // A probe in a simulation meets nothing: it goes the whole way to
        // its target (#5061-#5069), where a probe towards the work
        // (G38.2, G38.3) found no contact (#5070 = 0) and one away from it
        // (G38.4, G38.5) lost what it never had (#5070 = 1).
        if (machine) throw LineError(at, "G53 with a probe");
        straight(Motion::Feed, targetOf(b, false), b, at);
        for (int a = 0; a < kAxes; ++a) parameters_.store(kProbePlace + a, toProgram(a, position_[size_t(a)]));
        parameters_.store(kProbeTripped, modal_.motion >= 384 ? 1 : 0);
        break;
      case 330:
      case 331: {
        // A thread or a rigid tap at K per revolution; the tap comes back.
        if (machine) throw LineError(at, "G53 with a thread");
        if (!b.has('k') || b['k'] <= 0) throw LineError(at, "G33 needs K, the pitch, above zero");
        const Axes from = position_, to = targetOf(b, false);
        Move in = moveTo(Motion::Feed, to, at);
        if (in.spindle == 0) throw LineError(at, "a thread with the spindle stopped");
        in.feed = finite(b['k'] * modal_.units * std::abs(in.spindle), at, "the feed");
        emit(in);
        if (modal_.motion == 331) {
          Move out = moveTo(Motion::Feed, from, at);
          out.feed = in.feed;
          emit(out);
        }
        break;
      }
      case 760:
        if (machine) throw LineError(at, "G53 with a canned cycle");
        if (compensation_) throw LineError(at, "canned cycles cannot run under cutter compensation");
        threadingCycle(b, at);
        break;
      case 730: case 740: case 810: case 820: case 830: case 840: case 850: case 860: case 880: case 890:
        if (machine) throw LineError(at, "G53 with a canned cycle");
        if (compensation_) throw LineError(at, "canned cycles cannot run under cutter compensation");
        cannedCycle(modal_.motion, b, at);
        break;
      default: throw LineError(at, gName(modal_.motion) + " is not supported yet");
    }
  } else if (g[1] == 50 || g[1] == 51) {
    throw LineError(b.gCodes.front().column, "a spline needs its end point (X, Y)");
  } else if (g[1] >= 0 && g[1] != 800 && g[1] != 0 && g[1] != 10 && g[1] != 20 && g[1] != 30 && (g[1] < 730 || g[1] > 890) &&
             g[1] != 330 && g[1] != 331 && (g[1] < 382 || g[1] > 385) && g[1] != 52) {
    throw LineError(b.gCodes.front().column, "this motion is not supported yet");
  }
  if (modal_.motion != 50 || axesUsed) cubicLead_.reset();
  // 24: stops.
  switch (m[4]) {
    case 0: out_.stops.push_back({StopKind::Program, movesMade(), static_cast<uint32_t>(line_ + 1)}); break;
    case 10: out_.stops.push_back({StopKind::Optional, movesMade(), static_cast<uint32_t>(line_ + 1)}); break;
    case 600: out_.stops.push_back({StopKind::PalletChange, movesMade(), static_cast<uint32_t>(line_ + 1)}); break;
    case 20:
    case 300:
      if (nurbs_) throw LineError(b.mCodes.front().column, "a NURBS block (G5.2) is left open: close it with G5.3");
      endCompensation();
      return false;
    case 980: jump_ = callNumbered(b); break;
    case 990:
      if (!calls_.empty() && !calls_.back().numbered)
        throw LineError(b.mCodes.front().column, "M99 in an O-word subroutine (it ends with endsub)");
      if (calls_.empty()) {
        message_(Message::Kind::Warning, "M99 in the main program would run it again without end: the program ends here");
        endCompensation();
        return false;
      }
      jump_ = returnNumbered();
      break;
    default: break;
  }
  return true;
}

// G2/G3 in the plane in force: the centre by I, J, K (from the start, or
// absolute in G90.1) or by R, full turns by P, a helix by the third axis.
void Interpreter::arc(bool clockwise, const Block& b, size_t column) {
  int first = 0, second = 1, normal = 2;
  char firstOffset = 'i', secondOffset = 'j';
  Point axis{0, 0, 1};
  if (modal_.plane == Plane::ZX) first = 2, second = 0, normal = 1, firstOffset = 'k', secondOffset = 'i', axis = {0, 1, 0};
  if (modal_.plane == Plane::YZ) first = 1, second = 2, normal = 0, firstOffset = 'j', secondOffset = 'k', axis = {1, 0, 0};
  const Axes target = targetOf(b, false);
  const double s1 = position_[size_t(first)], s2 = position_[size_t(second)];
  const double e1 = target[size_t(first)], e2 = target[size_t(second)];
  double c1 = 0, c2 = 0;
  if (b.has('r')) {
    if (b.has(firstOffset) || b.has(secondOffset)) throw LineError(column, "an arc with both R and a centre");
    const double r = b['r'] * modal_.units;
    const double d1 = e1 - s1, d2 = e2 - s2;
    const double chord = std::hypot(d1, d2);
    if (chord == 0) throw LineError(b.words.at('r').column, "an R arc that ends where it starts");
    const double half = chord / 2;
    if (std::abs(r) < half - (kArcRadiusSlack + kArcRadiusShare * std::abs(r)))
      throw LineError(b.words.at('r').column, "R is too small for the arc's chord");
    const double height = std::abs(r) > half ? std::sqrt((std::abs(r) - half) * (std::abs(r) + half)) : 0.0;
    // Left of the way from start to end for a turn to the left of less than
    // half a circle; the other side for a larger arc or a right turn.
    const double side = (clockwise ? -1.0 : 1.0) * (r > 0 ? 1.0 : -1.0);
    c1 = finite(s1 + d1 / 2 - side * height * d2 / chord, column, "the arc's centre");
    c2 = finite(s2 + d2 / 2 + side * height * d1 / chord, column, "the arc's centre");
  } else {
    if (!b.has(firstOffset) && !b.has(secondOffset)) throw LineError(column, "an arc without a centre (I, J, K) or R");
    const double o1 = b.has(firstOffset) ? b[firstOffset] * modal_.units : 0.0;
    const double o2 = b.has(secondOffset) ? b[secondOffset] * modal_.units : 0.0;
    c1 = finite(modal_.arcAbsolute ? o1 + offset(first) : s1 + o1, column, "the arc's centre");
    c2 = finite(modal_.arcAbsolute ? o2 + offset(second) : s2 + o2, column, "the arc's centre");
    const double r1 = std::hypot(s1 - c1, s2 - c2), r2 = std::hypot(e1 - c1, e2 - c2);
    if (r1 == 0 || r2 == 0) throw LineError(column, "an arc of no radius");
    if (std::abs(r1 - r2) > kArcRadiusSlack + kArcRadiusShare * r1) {
      std::ostringstream why;
      why << "the arc's radius is " << r1 / modal_.units << " at its start and " << r2 / modal_.units << " at its end";
      throw LineError(column, why.str());
    }
  }
  int turns = 0;
  if (b.has('p')) {
    const double p = b['p'];
    if (p < 1 || p != std::floor(p) || p > 1e6) throw LineError(b.words.at('p').column, "an arc's P is a whole number of turns from 1");
    turns = static_cast<int>(p) - 1;
  }
  Move move = moveTo(clockwise ? Motion::ArcClockwise : Motion::ArcCounterClockwise, target, column);
  Axes centre = position_;
  centre[size_t(first)] = c1;
  centre[size_t(second)] = c2;
  move.centre = {centre[0], centre[1], centre[2]};
  move.axis = axis;
  move.turns = turns;
  // The feed over the helix's length.
  const double r = std::hypot(s1 - c1, s2 - c2);
  double sweep = std::atan2((s1 - c1) * (e2 - c2) - (s2 - c2) * (e1 - c1), (s1 - c1) * (e1 - c1) + (s2 - c2) * (e2 - c2));
  if (clockwise) sweep = -sweep;
  if (sweep <= 1e-12) sweep += 2 * M_PI;
  sweep += 2 * M_PI * turns;
  const double rise = target[size_t(normal)] - position_[size_t(normal)];
  move.feed = feedFor(move, std::hypot(r * sweep, rise), column);
  if (move.feed <= 0 && modal_.feedMode != FeedMode::PerRevolution) throw LineError(column, "an arc without a feed rate (F)");
  emit(move);
}

// G5: a cubic Bézier in XY from here to X Y, its first control point I J
// from the start (or, without them, along the last G5's end tangent), its
// second P Q from the end.
void Interpreter::cubicSpline(const Block& b, size_t column) {
  if (modal_.plane != Plane::XY) throw LineError(column, "G5 works in the XY plane only");
  if (b.has('z') || b.has('a') || b.has('b') || b.has('c')) throw LineError(column, "G5 moves X and Y only");
  if (!b.has('p') || !b.has('q')) throw LineError(column, "G5 needs P and Q, the second control point");
  if (b.has('i') != b.has('j')) throw LineError(column, "G5 needs both I and J or neither");
  const Axes target = targetOf(b, false);
  std::array<double, 2> lead{};
  if (b.has('i')) {
    lead = {b['i'] * modal_.units, b['j'] * modal_.units};
  } else {
    if (!cubicLead_) throw LineError(column, "the first G5 of a run needs I and J");
    lead = {-(*cubicLead_)[0], -(*cubicLead_)[1]};
  }
  const std::array<double, 2> trail{b['p'] * modal_.units, b['q'] * modal_.units};
  const Vec3 start{position_[0], position_[1], position_[2]}, end{target[0], target[1], target[2]};
  const std::vector<Vec3> control{start,
                                  {start[0] + lead[0], start[1] + lead[1], start[2]},
                                  {end[0] + trail[0], end[1] + trail[1], end[2]},
                                  end};
  for (const Vec3& p : control) finite(p[0] + p[1], column, "a control point");
  chords([&](double t) { return bezierAt(control, t); }, 8, column);
  cubicLead_ = trail;
}

// G5.1: a quadratic Bézier in XY from here to X Y about the control point
// I J from the start.
void Interpreter::quadraticSpline(const Block& b, size_t column) {
  if (modal_.plane != Plane::XY) throw LineError(column, "G5.1 works in the XY plane only");
  if (b.has('z') || b.has('a') || b.has('b') || b.has('c')) throw LineError(column, "G5.1 moves X and Y only");
  const double i = b.has('i') ? b['i'] * modal_.units : 0.0, j = b.has('j') ? b['j'] * modal_.units : 0.0;
  if (i == 0 && j == 0) throw LineError(column, "G5.1 needs I or J, the control point");
  const Axes target = targetOf(b, false);
  const Vec3 start{position_[0], position_[1], position_[2]};
  const std::vector<Vec3> control{start, {start[0] + i, start[1] + j, start[2]}, {target[0], target[1], target[2]}};
  finite(control[1][0] + control[1][1], column, "the control point");
  chords([&](double t) { return bezierAt(control, t); }, 8, column);
}

// G5.2 opens a NURBS block: the tool's place is its first control point
// (weighted by P when the line names no point of its own), L its order
// (3 unless given).
void Interpreter::openNurbs(const Block& b, size_t column) {
  NurbsBlock block;
  block.points.push_back({position_[0], position_[1], position_[2]});
  const bool ownPoint = hasAxisWord(b);
  block.weights.push_back(!ownPoint && b.has('p') ? b['p'] : 1.0);
  if (block.weights.back() <= 0) throw LineError(b.words.at('p').column, "a NURBS weight (P) must be above zero");
  if (b.has('l')) {
    const double order = b['l'];
    if (order < 2 || order > 10 || order != std::floor(order))
      throw LineError(b.words.at('l').column, "a NURBS order (L) is a whole number from 2 to 10");
    block.order = static_cast<int>(order);
  }
  block.line = line_;
  block.column = column;
  nurbs_ = std::move(block);
}

// A line of the block: its point (X Y Z) with its weight P (1 unless given).
void Interpreter::nurbsPoint(const Block& b, size_t column) {
  if (!nurbs_) throw LineError(column, "a NURBS point outside a G5.2 block");
  if (b.has('a') || b.has('b') || b.has('c')) throw LineError(column, "a NURBS point moves X, Y and Z only");
  const double weight = b.has('p') ? b['p'] : 1.0;
  if (weight <= 0) throw LineError(b.words.at('p').column, "a NURBS weight (P) must be above zero");
  if (nurbs_->points.size() >= 10000) throw LineError(column, "a NURBS of more than 10000 control points");
  Axes target = position_;
  for (int a = 0; a < 3; ++a)
    if (b.has(kAxisLetters[a])) target[size_t(a)] = targetOf(b, false)[size_t(a)];
  // The block's points are where the tool goes next: G91 counts from the last.
  const Vec3& last = nurbs_->points.back();
  for (int a = 0; a < 3; ++a) {
    const char letter = kAxisLetters[a];
    if (!b.has(letter)) target[size_t(a)] = last[size_t(a)];
    else if (!modal_.absolute) target[size_t(a)] = last[size_t(a)] + length(a, b[letter]);
  }
  nurbs_->points.push_back({target[0], target[1], target[2]});
  nurbs_->weights.push_back(weight);
}

// G5.3 closes the block: the curve through its points as chords.
void Interpreter::closeNurbs(size_t column) {
  if (!nurbs_) throw LineError(column, "G5.3 without a G5.2 block");
  const NurbsBlock block = std::move(*nurbs_);
  nurbs_.reset();
  if (block.points.size() < size_t(block.order))
    throw LineError(column, "a NURBS of order " + std::to_string(block.order) + " needs at least as many control points");
  const Nurbs curve(block.points, block.weights, block.order);
  chords([&](double t) { return curve.at(t); }, 8 * curve.spans(), column);
}

// The curve as feed moves along chords within the spline tolerance.
void Interpreter::chords(const std::function<Vec3(double)>& curve, size_t pieces, size_t column) {
  const double tolerance = std::max(options_.splineTolerance, 1e-6);
  // Chords past the move limit would be refused: none are made.
  const size_t room = options_.moveLimit - std::min(options_.moveLimit, out_.moves.size()) + 1;
  for (const Vec3& p : chordEnds(curve, tolerance, pieces, room)) {
    Axes target = position_;
    for (int a = 0; a < 3; ++a) target[size_t(a)] = finite(p[size_t(a)], column, "a point of the curve");
    Move m = moveTo(Motion::Feed, target, column);
    const double len = std::hypot(target[0] - position_[0], target[1] - position_[1], target[2] - position_[2]);
    m.feed = feedFor(m, len, column);
    if (m.feed <= 0 && modal_.feedMode != FeedMode::PerRevolution) throw LineError(column, "a spline without a feed rate (F)");
    emit(m);
  }
}

// G76: a thread cut in passes in the XZ plane. The drive line runs along
// Z where the tool stands; the thread's crest lies I from it, and the
// passes go J·n^(1/R) deeper (n = 1, 2, ...) up to K, then H spring passes
// at K. Q (degrees) moves each pass's start back along Z by its depth
// times tan Q, so the tool cuts on one flank; E and L (1 the start, 2 the
// end, 3 both) taper the ends from the crest over E along Z. Each pass:
// in to depth, along the thread at P per revolution, out to the drive
// line and back to the start.
void Interpreter::threadingCycle(const Block& b, size_t column) {
  if (modal_.plane != Plane::ZX) throw LineError(column, "G76 works in the XZ plane (G18)");
  for (const char letter : {'p', 'z', 'i', 'j', 'k'})
    if (!b.has(letter)) throw LineError(column, std::string("G76 needs ") + char(std::toupper(letter)));
  const auto word = [&](char letter, double fallback) { return b.has(letter) ? b[letter] : fallback; };
  const double pitch = b['p'] * modal_.units, crestOffset = b['i'] * modal_.units;
  const double first = b['j'] * modal_.units, full = b['k'] * modal_.units, taper = word('e', 0) * modal_.units;
  const double degression = word('r', 1), angle = word('q', 0), springs = word('h', 0), ends = word('l', 0);
  if (pitch <= 0 || first <= 0 || full <= 0) throw LineError(column, "G76's P, J and K must be above zero");
  if (crestOffset == 0) throw LineError(column, "G76's I must not be zero: it says on which side the thread lies");
  if (degression < 1) throw LineError(column, "G76's R must be 1 or more");
  if (angle < 0 || angle >= 90) throw LineError(column, "G76's Q is an angle from 0 to below 90 degrees");
  if (springs < 0 || springs > 1000 || springs != std::floor(springs)) throw LineError(column, "G76's H is a whole number of spring passes");
  if (ends < 0 || ends > 3 || ends != std::floor(ends)) throw LineError(column, "G76's L is 0, 1, 2 or 3");
  if (taper < 0) throw LineError(column, "G76's E must not be negative");
  const Axes start = position_;
  const double endZ = targetOf(b, false)[2];
  const double zWay = endZ >= start[2] ? 1.0 : -1.0, xWay = crestOffset < 0 ? -1.0 : 1.0;
  const double crest = start[0] + crestOffset;
  if (std::abs(endZ - start[2]) < (int(ends) == 3 ? 2 : ends > 0 ? 1 : 0) * taper)
    throw LineError(column, "G76's tapers (E) are longer than the thread");
  std::vector<double> depths;
  for (int n = 1;; ++n) {
    const double depth = first * std::pow(double(n), 1 / degression);
    if (depth >= full) break;
    if (depths.size() >= 10000) throw LineError(column, "G76 would cut in more than 10000 passes");
    depths.push_back(depth);
  }
  depths.insert(depths.end(), size_t(springs) + 1, full);
  const auto go = [&](Motion motion, double x, double z) {
    Axes to = position_;
    to[0] = finite(x, column, "the position");
    to[2] = finite(z, column, "the position");
    Move m = moveTo(motion, to, column);
    if (motion == Motion::Feed) {
      if (m.spindle == 0) throw LineError(column, "a thread with the spindle stopped");
      m.feed = finite(pitch * std::abs(m.spindle), column, "the feed");
    }
    emit(m);
  };
  const bool taperIn = (int(ends) & 1) && taper > 0, taperOut = (int(ends) & 2) && taper > 0;
  for (const double depth : depths) {
    const double shift = -zWay * depth * std::tan(angle * M_PI / 180);
    const double from = start[2] + shift, to = endZ + shift, x = crest + xWay * depth;
    if (shift != 0) go(Motion::Rapid, start[0], from);
    if (taperIn) {
      go(Motion::Rapid, crest, from);
      go(Motion::Feed, x, from + zWay * taper);
    } else {
      go(Motion::Rapid, x, from);
    }
    go(Motion::Feed, x, taperOut ? to - zWay * taper : to);
    if (taperOut) go(Motion::Feed, crest, to);
    go(Motion::Rapid, start[0], to);
    go(Motion::Rapid, start[0], start[2]);
  }
}

// G73, G74, G81-G86, G88, G89 at each hole: to the hole over the retract
// plane R (rising to it first when below), down to Z and out again, as
// the cycle does it; L repeats the hole, in G91 each from the last by X
// and Y. In G91, R counts from where the drill's axis stood and Z from R.
void Interpreter::cannedCycle(int code, const Block& b, size_t column) {
  int first = 0, second = 1, drill = 2;
  if (modal_.plane == Plane::ZX) first = 2, second = 0, drill = 1;
  if (modal_.plane == Plane::YZ) first = 1, second = 2, drill = 0;
  const char drillLetter = kAxisLetters[drill];
  const double start = position_[size_t(drill)];
  if (b.has('r')) {
    const double r = length(drill, b['r']);
    cycle_.retract = modal_.absolute ? r + offset(drill) : start + r;
  }
  if (b.has(drillLetter)) {
    if (!cycle_.retract) throw LineError(column, "a canned cycle needs R");
    const double z = length(drill, b[drillLetter]);
    cycle_.bottom = modal_.absolute ? z + offset(drill) : *cycle_.retract + z;
  }
  if (b.has('q')) {
    if (b['q'] <= 0) throw LineError(b.words.at('q').column, "a canned cycle's Q must be above zero");
    cycle_.peck = b['q'] * modal_.units;
  }
  if (b.has('p')) cycle_.dwell = b['p'];
  if (!cycle_.retract || !cycle_.bottom) throw LineError(column, "a canned cycle needs R and its depth");
  if ((code == 730 || code == 830) && !cycle_.peck) throw LineError(column, "a pecking cycle needs Q");
  const double r = *cycle_.retract, bottom = *cycle_.bottom;
  if (bottom > r) throw LineError(column, "a canned cycle's depth lies above its R plane");
  const double clear = cycle_.retractToStart ? std::max(start, r) : r;
  // The chips break, and the peck comes back to, this far above the last
  // depth (mm).
  const double back = modal_.units == 1 ? 0.254 : 0.01 * kInch;
  const int repeats = b.has('l') ? static_cast<int>(b['l']) : 1;
  if (b.has('l') && (b['l'] < 0 || b['l'] != std::floor(b['l']) || b['l'] > 1e5))
    throw LineError(b.words.at('l').column, "L must be a whole number of repeats");

  const auto go = [&](Motion motion, const Axes& to, double feedLength) {
    Move m = moveTo(motion, to, column);
    if (motion == Motion::Feed) {
      m.feed = feedFor(m, feedLength, column);
      if (m.feed <= 0 && modal_.feedMode != FeedMode::PerRevolution) throw LineError(column, "a canned cycle without a feed rate (F)");
    }
    emit(m);
  };
  const auto along = [&](Motion motion, double level) {
    Axes to = position_;
    to[size_t(drill)] = level;
    go(motion, to, std::abs(level - position_[size_t(drill)]));
  };
  if (position_[size_t(drill)] < r) along(Motion::Rapid, r);
  for (int hole = 0; hole < repeats; ++hole) {
    Axes over = position_;
    if (!polar(b, over)) {
      for (const int a : {first, second}) {
        const char letter = kAxisLetters[a];
        if (!b.has(letter)) continue;
        const double v = length(a, b[letter]);
        over[size_t(a)] = modal_.absolute ? v + offset(a) : position_[size_t(a)] + v;
      }
    }
    go(Motion::Rapid, over, 0);
    along(Motion::Rapid, r);
    switch (code) {
      case 730:
      case 830: {
        double depth = r;
        while (depth > bottom) {
          const double next = std::max(depth - *cycle_.peck, bottom);
          if (code == 830 && depth < r) along(Motion::Rapid, depth + back);
          along(Motion::Feed, next);
          depth = next;
          if (depth > bottom) along(Motion::Rapid, code == 730 ? depth + back : r);
        }
        break;
      }
      case 850:
      case 890:
      case 740:
      case 840:
        along(Motion::Feed, bottom);
        along(Motion::Feed, r);
        break;
      default:  // 810, 820, 860, 880: in, dwell where it does, out
        along(Motion::Feed, bottom);
        break;
    }
    along(Motion::Rapid, clear);
  }
}

// G28/G30: by the axes given to a point between, then those axes (all
// without any) to the position kept in the parameters, in rapids.
void Interpreter::goHome(const Block& b, int home, size_t column) {
  Axes between = targetOf(b, false);
  Axes end = between;
  const bool any = hasAxisWord(b);
  for (int a = 0; a < kAxes; ++a)
    if (!any || b.has(kAxisLetters[a])) end[size_t(a)] = parameters_.value({home + a, ""}, column);
  if (any) emit(moveTo(Motion::Rapid, between, column));
  emit(moveTo(Motion::Rapid, end, column));
}

// G10: L2 sets a system's offsets, L20 so that the tool stands at the
// words given; P0 is the system in force. L1 sets a tool's entry.
void Interpreter::setCoordinates(const Block& b, size_t column) {
  if (!b.has('l')) throw LineError(column, "G10 needs L");
  const int l = static_cast<int>(b['l']);
  if (l == 2 || l == 20) {
    if (!b.has('p')) throw LineError(column, "G10 L" + std::to_string(l) + " needs P");
    int system = static_cast<int>(b['p']);
    if (system == 0) system = this->system();
    if (system < 1 || system > 9) throw LineError(b.words.at('p').column, "G10's P names no coordinate system (0 to 9)");
    if (b.has('r') && b['r'] != 0) throw LineError(b.words.at('r').column, "rotated coordinate systems are not supported");
    for (int a = 0; a < kAxes; ++a) {
      const char letter = kAxisLetters[a];
      if (!b.has(letter)) continue;
      const double v = length(a, b[letter]);
      const double value = l == 2 ? v : position_[size_t(a)] - g92Offset(a) - v;
      parameters_.set({kFirstSystem + kSystemStride * (system - 1) + a, ""}, finite(value, column, "the offset"), column);
    }
    return;
  }
  if (l == 1 || l == 10 || l == 11) {
    setToolEntry(b, l, column);
    return;
  }
  throw LineError(b.words.at('l').column, "G10 L" + std::to_string(l) + " is not supported");
}

// G10 L1 (as given), L10 (so that the tool reads Z here, in the system in
// force) and L11 (the same in G59.3): tool P's radius R and length Z, in
// the program's own copy of the table.
void Interpreter::setToolEntry(const Block& b, int l, size_t column) {
  if (!b.has('p') || b['p'] < 0 || b['p'] != std::floor(b['p']) || b['p'] > 99999)
    throw LineError(column, "G10 L" + std::to_string(l) + " needs P, a tool number");
  const int number = static_cast<int>(b['p']);
  auto entry = std::find_if(tools_.begin(), tools_.end(), [&](const ToolEntry& t) { return t.number == number; });
  if (entry == tools_.end()) entry = tools_.insert(tools_.end(), ToolEntry{number, 0.0, 0.0});
  if (b.has('r')) {
    const double radius = b['r'] * modal_.units;
    if (!(radius >= 0) || !std::isfinite(radius)) throw LineError(b.words.at('r').column, "a tool's radius must not be negative");
    entry->diameter = 2 * radius;
  }
  if (b.has('z')) {
    const double z = b['z'] * modal_.units;
    const double base = l == 1 ? 0.0 : position_[2] - (l == 11 ? systemOffset(9, 2) : offset(2));
    entry->length = finite(l == 1 ? z : base - z, b.words.at('z').column, "the tool's length");
  }
}

// G40 ends cutter compensation; G41/G42 (D: a tool of the table, the
// tool in the spindle without it) and G41.1/G42.1 (D: the diameter) start
// it, to the left or right of the path, in the XY or (lathes) XZ plane.
void Interpreter::compensate(int code, const Block& b) {
  const auto word = std::find_if(b.gCodes.begin(), b.gCodes.end(), [&](const Word& w) { return codeOf(w) == code; });
  const size_t column = word->column;
  if (code == 400) {
    endCompensation();
    return;
  }
  if (compensation_) throw LineError(column, "cutter compensation is already on (G40 ends it)");
  if (modal_.plane == Plane::YZ) throw LineError(column, "cutter compensation works in the XY and XZ planes");
  double diameter = 0;
  if (code == 410 || code == 420) {
    const double d = b.has('d') ? b['d'] : tool_;
    if (d < 0 || d != std::floor(d)) throw LineError(b.has('d') ? b.words.at('d').column : column, "D names a tool: a whole number");
    const int number = static_cast<int>(d);
    if (number != 0) {
      const auto entry = std::find_if(tools_.begin(), tools_.end(),
                                      [&](const ToolEntry& t) { return t.number == number; });
      if (entry == tools_.end())
        throw LineError(column, "cutter compensation needs tool T" + std::to_string(number) + "'s diameter (in the tool table)");
      diameter = entry->diameter;
    }
  } else {
    if (!b.has('d')) throw LineError(column, gName(code) + " needs D, the tool's diameter");
    diameter = b['d'] * modal_.units;
  }
  if (!(diameter >= 0) || !std::isfinite(diameter)) throw LineError(column, "a tool's diameter must not be negative");
  const bool left = code == 410 || code == 411;
  const bool xy = modal_.plane == Plane::XY;
  compensation_.emplace(left ? CutterCompensation::Side::Left : CutterCompensation::Side::Right, diameter / 2,
                        xy ? 0 : 2, xy ? 1 : 0, xy ? Point{0, 0, 1} : Point{0, 1, 0}, toolAt_,
                        [this](const Move& m) { place(m); });
}

// G92: offsets such that the tool stands at the words given.
void Interpreter::setG92(const Block& b, size_t column) {
  if (!hasAxisWord(b)) throw LineError(column, "G92 needs an axis word");
  for (int a = 0; a < kAxes; ++a) {
    const char letter = kAxisLetters[a];
    const double current = parameters_.value({kG92Applied, ""}, 1) != 0 ? g92Offset(a) : 0.0;
    double value = current;
    if (b.has(letter)) value = position_[size_t(a)] - systemOffset(system(), a) - length(a, b[letter]);
    parameters_.set({kG92Offsets + a, ""}, finite(value, column, "the offset"), column);
  }
  parameters_.set({kG92Applied, ""}, 1, column);
}

}  // namespace

Program interpret(std::string_view text, const std::string& fileName, const Options& options) {
  Program program;
  Interpreter(options, program).run(text, fileName);
  return program;
}

}  // namespace korvane::gcode
