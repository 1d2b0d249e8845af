#pragma once
// The engraving job the whole-job benchmark measures beside the standard
// job: what costs a cutting simulation most per move. A 2.5 mm flat end
// mill engraves rows of letters 0.4 mm deep into the top of a 94 x 90 x 32
// block, leaving a thin floor under each stroke; every stroke is a chain of
// feed moves of about 0.05 mm (curves as CAM systems write them out), with
// a retract, a rapid and a plunge between strokes. About 67,000 moves.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace bench {

struct EngravingJob {
  static constexpr double kBoxMin[3] = {0.0, 0.0, -32.0}, kBoxMax[3] = {94.0, 90.0, 0.0};
  static constexpr double kDepth = 0.4, kClearance = 1.0, kStep = 0.055;
  static constexpr int kRows = 8, kColumns = 12;
  static constexpr double kLetterWidth = 5.0, kLetterHeight = 7.0, kPitchX = 7.5, kPitchY = 10.5;
  static constexpr const char* kTools = "T1 flat 2.5 20\n";

  // A stroke as a curve over t in [0, 1], in letter units (0..1 by 0..1).
  using Stroke = std::function<glm::dvec2(double)>;

  struct Move {
    glm::dvec3 to;
    bool rapid = false;
  };

  // Tool tip positions from the tool change on, millimetres; the first
  // letters only when given.
  static std::vector<Move> moves(int letters = kRows * kColumns) {
    std::vector<Move> path{{{4.0, kBoxMax[1] - 4.0, 5.0}, true}};
    int letter = 0;
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns && letter < letters; ++column, ++letter) {
        const glm::dvec2 origin{4.0 + column * kPitchX, kBoxMax[1] - 4.0 - kLetterHeight - row * kPitchY};
        for (int s = 0; s < 3; ++s) {
          const Stroke stroke = strokeOf((letter * 7 + s * 3) % 6);
          const auto at = [&](double t) {
            const glm::dvec2 p = stroke(t);
            return origin + glm::dvec2(p.x * kLetterWidth, p.y * kLetterHeight);
          };
          const int count = std::max(1, int(std::ceil(lengthOf(at) / kStep)));
          const glm::dvec2 start = at(0.0);
          path.push_back({{start, kClearance}, true});
          path.push_back({{start, -kDepth}, false});
          for (int i = 1; i <= count; ++i) path.push_back({{at(double(i) / count), -kDepth}, false});
          path.push_back({{path.back().to.x, path.back().to.y, kClearance}, true});
        }
      }
    return path;
  }

  // The G-code, millimetres, absolute.
  static std::string program() {
    std::string text = "G21 G90 G17\nT1 M6\nS12000 M3\n";
    char line[96];
    for (const Move& m : moves()) {
      std::snprintf(line, sizeof line, "%s X%.4f Y%.4f Z%.3f%s\n", m.rapid ? "G0" : "G1", m.to.x, m.to.y, m.to.z,
                    m.rapid ? "" : " F600");
      text += line;
    }
    return text + "M5\nM30\n";
  }

 private:
  static Stroke strokeOf(int kind) {
    constexpr double kPi = 3.14159265358979323846;
    switch (kind) {
      case 0: return [=](double t) { return glm::dvec2(0.5 + 0.5 * std::cos(2 * kPi * t), 0.5 + 0.5 * std::sin(2 * kPi * t)); };
      case 1: return [=](double t) { const double a = kPi * (0.25 + 1.5 * t); return glm::dvec2(0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a)); };
      case 2: return [](double t) { return glm::dvec2(0.5, t); };
      case 3: return [](double t) { return glm::dvec2(t, 0.5); };
      case 4: return [](double t) { return glm::dvec2(t, t); };
      default:
        return [=](double t) {  // an S: two half circles
          const double a = t < 0.5 ? kPi * (0.5 + 2 * t * 1.5) : kPi * (0.5 - (2 * t - 1) * 1.5);
          const double cy = t < 0.5 ? 0.75 : 0.25;
          return glm::dvec2(0.5 + 0.5 * std::cos(a), cy + 0.25 * std::sin(a));
        };
    }
  }

  template <typename Curve>
  static double lengthOf(const Curve& at) {
    double length = 0;
    glm::dvec2 last = at(0.0);
    for (int i = 1; i <= 256; ++i) {
      const glm::dvec2 p = at(i / 256.0);
      length += std::hypot(p.x - last.x, p.y - last.y);
      last = p;
    }
    return length;
  }
};

}  // namespace bench
