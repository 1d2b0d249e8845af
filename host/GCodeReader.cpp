#include "GCodeReader.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace host {

namespace {

constexpr double kInch = 25.4;
constexpr double kDegree = 0.017453292519943295;

struct Word {
  char letter;
  double value;
};

enum class Plane { XY, ZX, YZ };

// What stays in force from block to block.
struct Modes {
  std::optional<Motion> motion;
  Plane plane = Plane::XY;
  bool inches = false;
  bool incremental = false;
  std::optional<double> feed;  // mm/min, or mm per revolution under G95
  bool feedPerRevolution = false;
  double speed = 0;            // rpm
  double lastSurfaceSpeedRpm = 0;  // what G96 last turned the spindle at
  bool constantSurface = false;  // G96: the speed follows the radius
  double surfaceSpeed = 0;       // mm/min at the cutting radius, under G96
  std::optional<double> maxSpeed;  // rpm, G96's D
  bool diameter = false;           // G7: X words are diameters
  bool spindleOn = false;
  std::optional<int> selectedTool;
  std::optional<int> toolInSpindle;  // lathe programs: the last T
  Point position;
  Point rotary;  // radians
};

class BlockError {
 public:
  explicit BlockError(std::string what) : what_(std::move(what)) {}
  const std::string& what() const { return what_; }

 private:
  std::string what_;
};

std::string number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// A character for a message: printable as it is, anything else by its code.
std::string shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (std::isprint(byte)) return std::string("'") + c + "'";
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", byte);
  return std::string("byte ") + code;
}

// The words of one line, comments removed.
std::vector<Word> wordsOf(std::string_view line) {
  std::vector<Word> words;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
  };
  while (true) {
    skipBlanks();
    if (i >= line.size() || line[i] == ';') break;
    const char c = line[i];
    if (c == '(') {
      const size_t close = line.find(')', i);
      if (close == std::string_view::npos) throw BlockError("comment without ')'");
      i = close + 1;
      continue;
    }
    if (c == '%' || (c == '/' && words.empty())) {
      ++i;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(c))) throw BlockError("unexpected character " + shown(c));
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (letter == 'O') throw BlockError("O-word subroutines, loops and conditions are not read");
    ++i;
    skipBlanks();
    const size_t start = i;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) ++i;
    while (i < line.size() && (std::isdigit(static_cast<unsigned char>(line[i])) || line[i] == '.')) ++i;
    const std::string text(line.substr(start, i - start));
    char* end = nullptr;
    const double value = text.empty() ? NAN : std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value))
      throw BlockError(std::string("word ") + letter + " has no number");
    words.push_back({letter, value});
  }
  return words;
}

// The integer code of a G or M word, with G90.1-style decimals kept apart.
int codeOf(const Word& w) {
  const double rounded = std::round(w.value * 10.0) / 10.0;
  if (std::abs(w.value - rounded) > 1e-6 || rounded < 0)
    throw BlockError(std::string("unsupported ") + w.letter + number(w.value));
  return static_cast<int>(std::lround(rounded * 10.0));  // G90.1 gives 901
}

// What one block asks for besides its words' values.
struct BlockCodes {
  std::optional<Motion> motion;
  bool toolChange = false, optionalStop = false, dwell = false, lengthOffset = false, blending = false;
  bool surfaceSpeed = false, revolutions = false;  // G96, G97
};

class Reader {
 public:
  Reader(std::string name, ReadOptions options) : name_(std::move(name)), lathe_(options.lathe) {
    program_.lathe = lathe_;
    // A lathe works in the plane of its axis.
    if (lathe_) modes_.plane = Plane::ZX;
  }

  Program read(std::string_view text) {
    size_t begin = 0;
    uint32_t line = 0;
    while (begin <= text.size() && !ended_) {
      // Lines end with LF, CR LF or a lone CR.
      size_t end = text.find_first_of("\r\n", begin);
      if (end == std::string_view::npos) end = text.size();
      ++line;
      const std::string_view content = text.substr(begin, end - begin);
      // A program between two '%' lines ends at the second.
      if (isPercentLine(content) && percentSeen_++ > 0) break;
      try {
        block(wordsOf(content), line);
      } catch (const BlockError& e) {
        throw GCodeError(name_ + ":" + std::to_string(line) + ": " + e.what());
      }
      if (end == text.size()) break;
      begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return std::move(program_);
  }

 private:
  static bool isPercentLine(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '%';
  }

  void block(const std::vector<Word>& words, uint32_t line) {
    if (words.empty()) return;
    std::map<char, double> values;  // axis and parameter words
    BlockCodes codes;
    for (const Word& w : words) {
      switch (w.letter) {
        case 'G':
          gCode(codeOf(w), codes);
          break;
        case 'M':
          mCode(codeOf(w), codes);
          break;
        case 'N':
          break;
        case 'X': case 'Y': case 'Z': case 'I': case 'J': case 'K': case 'R': case 'F': case 'S': case 'T':
        case 'P': case 'H': case 'A': case 'B': case 'C': case 'D':
          if (values.count(w.letter)) throw BlockError(std::string("word ") + w.letter + " twice in one block");
          values[w.letter] = w.value;
          break;
        default:
          throw BlockError(std::string("unsupported word ") + w.letter);
      }
    }
    if (values.count('P') && !codes.dwell && !codes.blending) throw BlockError("word P without G4 or G64");
    if (values.count('H') && !codes.lengthOffset) throw BlockError("word H without G43");
    if (values.count('D') && !codes.surfaceSpeed) throw BlockError("word D without G96");
    const double scale = modes_.inches ? kInch : 1.0;
    if (values.count('F')) {
      if (values['F'] <= 0) throw BlockError("feed rate must be positive");
      modes_.feed = values['F'] * scale;
    }
    spindleWords(values, codes);
    if (values.count('T')) toolWord(values['T'], line);
    if (codes.toolChange) {
      if (!modes_.selectedTool) throw BlockError("M6 without a tool selected by T");
      // A lathe's T changed the tool already.
      if (!lathe_) program_.toolChanges.push_back({*modes_.selectedTool, program_.moves.size(), line});
    }
    if (codes.motion) modes_.motion = codes.motion;
    const bool axes = values.count('X') || values.count('Y') || values.count('Z') || values.count('A') ||
                      values.count('B') || values.count('C');
    const bool arcWords = values.count('I') || values.count('J') || values.count('K') || values.count('R');
    if (axes || arcWords) {
      if (codes.dwell) throw BlockError("axis words with G4");
      if (!modes_.motion) throw BlockError("axis words before any G0, G1, G2 or G3");
      move(values, line, scale);
    }
    // M1 acts once the block's motion is done: before the next move.
    if (codes.optionalStop) program_.optionalStops.push_back(program_.moves.size());
  }

  // S, and G96's D: revolutions per minute, or under G96 the surface speed
  // in metres (feet under G20) per minute.
  void spindleWords(std::map<char, double>& values, const BlockCodes& codes) {
    if (values.count('S') && values['S'] < 0) throw BlockError("spindle speed must not be negative");
    if (codes.surfaceSpeed && codes.revolutions) throw BlockError("G96 and G97 in one block");
    if (codes.revolutions) {
      // Without S the spindle keeps the speed it last turned at.
      if (modes_.constantSurface && !values.count('S')) modes_.speed = modes_.lastSurfaceSpeedRpm;
      modes_.constantSurface = false;
    }
    if (codes.surfaceSpeed) {
      if (!values.count('S')) throw BlockError("G96 without S (the surface speed)");
      if (values.count('D') && values['D'] <= 0) throw BlockError("G96's D (the highest speed) must be positive");
      modes_.constantSurface = true;
      modes_.maxSpeed.reset();
      if (values.count('D')) modes_.maxSpeed = values['D'];
    }
    if (!values.count('S')) return;
    if (modes_.constantSurface)
      modes_.surfaceSpeed = values['S'] * (modes_.inches ? kInch * 12 : 1000.0);
    else
      modes_.speed = values['S'];
  }

  void toolWord(double t, uint32_t line) {
    if (t < 0 || t > 99999 || t != std::floor(t)) throw BlockError("tool number must be a whole number up to 99999");
    if (!lathe_) {
      modes_.selectedTool = static_cast<int>(t);
      return;
    }
    if (t > 9999) throw BlockError("a lathe's T has at most four digits (tool and offset)");
    const int tool = t >= 100 ? static_cast<int>(t) / 100 : static_cast<int>(t);
    if (tool == 0) return;
    modes_.selectedTool = tool;
    if (modes_.toolInSpindle == tool) return;
    modes_.toolInSpindle = tool;
    program_.toolChanges.push_back({tool, program_.moves.size(), line});
  }

  void gCode(int code, BlockCodes& codes) {
    std::optional<Motion>& motion = codes.motion;
    switch (code) {
      case 0: setMotion(motion, Motion::Rapid); break;
      case 10: setMotion(motion, Motion::Linear); break;
      case 20: setMotion(motion, Motion::ArcClockwise); break;
      case 30: setMotion(motion, Motion::ArcCounterClockwise); break;
      case 40: codes.dwell = true; break;
      case 70: case 80:
        if (!lathe_) throw BlockError("G" + number(code / 10.0) + " is a lathe code (read the program as a lathe's)");
        modes_.diameter = code == 70;
        break;
      case 170: modes_.plane = Plane::XY; break;
      case 180: modes_.plane = Plane::ZX; break;
      case 190: modes_.plane = Plane::YZ; break;
      case 200: modes_.inches = true; break;
      case 210: modes_.inches = false; break;
      case 900: modes_.incremental = false; break;
      case 910: modes_.incremental = true; break;
      case 911: break;  // arc centres relative to the start: the only kind read
      case 430: codes.lengthOffset = true; break;
      case 640: codes.blending = true; break;
      case 940: modes_.feedPerRevolution = false; break;
      case 950: modes_.feedPerRevolution = true; break;
      case 960: codes.surfaceSpeed = true; break;
      case 970: codes.revolutions = true; break;
      case 400: case 490: case 540: case 610: case 800: break;
      default:
        throw BlockError("unsupported G" + number(code / 10.0));
    }
  }

  static void setMotion(std::optional<Motion>& motion, Motion wanted) {
    if (motion) throw BlockError("two motion codes in one block");
    motion = wanted;
  }

  void mCode(int code, BlockCodes& codes) {
    switch (code) {
      case 30: case 40: modes_.spindleOn = true; break;
      case 50: modes_.spindleOn = false; break;
      case 60: codes.toolChange = true; break;
      case 10: codes.optionalStop = true; break;
      case 20: case 300: ended_ = true; break;
      case 0: case 70: case 80: case 90: break;
      default:
        throw BlockError("unsupported M" + number(code / 10.0));
    }
  }

  void move(std::map<char, double>& values, uint32_t line, double scale) {
    const Point from = modes_.position;
    Point to = from;
    auto axis = [&](char letter, double& coordinate, double origin) {
      const double factor = letter == 'X' && modes_.diameter ? 0.5 : 1.0;
      if (values.count(letter)) coordinate = (modes_.incremental ? origin : 0.0) + values[letter] * scale * factor;
    };
    axis('X', to.x, from.x);
    axis('Y', to.y, from.y);
    axis('Z', to.z, from.z);
    // Rotary axes turn in degrees, whatever the length unit.
    Point turned = modes_.rotary;
    auto rotary = [&](char letter, double& angle) {
      if (values.count(letter)) angle = (modes_.incremental ? angle : 0.0) + values[letter] * kDegree;
    };
    rotary('A', turned.x);
    rotary('B', turned.y);
    rotary('C', turned.z);
    if ((turned.x != modes_.rotary.x || turned.y != modes_.rotary.y || turned.z != modes_.rotary.z) &&
        (*modes_.motion == Motion::ArcClockwise || *modes_.motion == Motion::ArcCounterClockwise))
      throw BlockError("rotary axes turning during an arc");
    ProgramMove m;
    m.rotary = turned;
    modes_.rotary = turned;
    m.motion = *modes_.motion;
    m.end = to;
    m.line = line;
    m.spindle = modes_.spindleOn ? spindleSpeed(from, to) : 0.0;
    if (modes_.spindleOn && modes_.constantSurface) modes_.lastSurfaceSpeedRpm = m.spindle;
    if (m.motion != Motion::Rapid) {
      if (!modes_.feed) throw BlockError("feed move without a feed rate (F)");
      if (modes_.feedPerRevolution && m.spindle <= 0)
        throw BlockError("feed per revolution (G95) while the spindle stands");
      m.feed = *modes_.feed * (modes_.feedPerRevolution ? m.spindle : 1.0);
    }
    if (m.motion == Motion::ArcClockwise || m.motion == Motion::ArcCounterClockwise) {
      arc(m, from, values, scale);
    } else if (values.count('I') || values.count('J') || values.count('K') || values.count('R')) {
      throw BlockError("I, J, K or R without G2 or G3");
    }
    program_.moves.push_back(m);
    modes_.position = to;
  }

  // Revolutions per minute over a move from `from` to `to`. Under G96 the
  // speed keeps the surface speed at the larger of the two ends' radii
  // (|X| on a lathe, the distance from Z on a mill), which never asks more
  // of the spindle than the move's own ends do; D caps it.
  double spindleSpeed(const Point& from, const Point& to) const {
    if (!modes_.constantSurface) return modes_.speed;
    auto radius = [&](const Point& p) { return lathe_ ? std::abs(p.x) : std::hypot(p.x, p.y); };
    const double r = std::max(radius(from), radius(to));
    const double turning = 2 * std::acos(-1.0) * r;
    if (turning < 1e-9) {
      if (!modes_.maxSpeed) throw BlockError("G96 without D (the highest speed) for a move on the axis");
      return *modes_.maxSpeed;
    }
    const double rpm = modes_.surfaceSpeed / turning;
    return modes_.maxSpeed ? std::min(rpm, *modes_.maxSpeed) : rpm;
  }

  // In-plane coordinates (u, v) and the coordinate across the plane.
  struct PlaneAxes {
    double Point::*u;
    double Point::*v;
    char uOffset, vOffset;
    Point seenFrom;
  };
  PlaneAxes planeAxes() const {
    switch (modes_.plane) {
      case Plane::XY: return {&Point::x, &Point::y, 'I', 'J', {0, 0, 1}};
      case Plane::ZX: return {&Point::z, &Point::x, 'K', 'I', {0, 1, 0}};
      case Plane::YZ: return {&Point::y, &Point::z, 'J', 'K', {1, 0, 0}};
    }
    return {&Point::x, &Point::y, 'I', 'J', {0, 0, 1}};
  }

  void arc(ProgramMove& m, const Point& from, std::map<char, double>& values, double scale) {
    const PlaneAxes p = planeAxes();
    m.axis = p.seenFrom;
    const double su = from.*p.u, sv = from.*p.v, eu = m.end.*p.u, ev = m.end.*p.v;
    double cu = 0, cv = 0;
    if (values.count('R')) {
      if (values.count(p.uOffset) || values.count(p.vOffset)) throw BlockError("an arc with both R and centre offsets");
      const double r = values['R'] * scale;
      const double du = eu - su, dv = ev - sv, chord = std::hypot(du, dv);
      if (chord < 1e-9) throw BlockError("an R arc must not end where it starts");
      const double half = chord / 2, radius = std::abs(r);
      if (radius < half - 0.002) throw BlockError("arc radius " + number(radius) + " is shorter than half the chord");
      const double rise = std::sqrt(std::max(radius * radius - half * half, 0.0));
      // The centre lies left of the chord for a short counter-clockwise arc.
      const bool left = (m.motion == Motion::ArcCounterClockwise) == (r > 0);
      const double side = left ? 1.0 : -1.0;
      cu = su + du / 2 - side * rise * dv / chord;
      cv = sv + dv / 2 + side * rise * du / chord;
    } else {
      if (!values.count(p.uOffset) && !values.count(p.vOffset)) throw BlockError("an arc needs a centre (I, J, K) or R");
      cu = su + (values.count(p.uOffset) ? values[p.uOffset] * scale : 0.0);
      cv = sv + (values.count(p.vOffset) ? values[p.vOffset] * scale : 0.0);
      const double rs = std::hypot(su - cu, sv - cv), re = std::hypot(eu - cu, ev - cv);
      // The view draws an arc whose ends lie 0.01 apart in radius as a chord.
      if (std::abs(rs - re) > std::min(0.01, std::max(0.002, 0.001 * rs)))
        throw BlockError("arc radius differs at start (" + number(rs) + ") and end (" + number(re) + ")");
      if (rs < 1e-6) throw BlockError("arc of radius 0");
    }
    m.centre = from;
    m.centre.*p.u = cu;
    m.centre.*p.v = cv;
  }

  std::string name_;
  bool lathe_ = false;
  Modes modes_;
  Program program_;
  bool ended_ = false;
  int percentSeen_ = 0;
};

}  // namespace

Program readGCode(std::string_view text, const std::string& name, ReadOptions options) {
  Program program = Reader(name, options).read(text);
  if (program.lathe && !program.moves.empty()) program.start = program.moves.front().end;
  program.text = text;
  return program;
}

Program readGCodeFile(const std::string& path, ReadOptions options) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw GCodeError(path + ": cannot be read");
  std::ostringstream text;
  text << file.rdbuf();
  return readGCode(text.str(), path, options);
}

}  // namespace host
