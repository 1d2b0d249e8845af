#pragma once
// Cutter radius compensation (G41, G42): the programmed path in, the
// tool centre's path out, offset by the tool's radius to the left (G41) or
// right (G42) of the way the path runs, in the plane in force.
//
// As LinuxCNC does it: the entry move (the first move in the plane after
// G41/G42), when straight, runs from where the tool stands to the point
// where it touches a circle of the radius about the programmed end, so
// that the next move starts along the path (an arc keeps its centre and
// ends on its offset, its radius changing on the way); outside corners are rounded by an arc
// about the programmed corner, inside corners end where the two offset
// moves meet. A corner the tool cannot reach without cutting into the path
// (an offset move that would run backwards, an inside arc smaller than the
// tool) is an error. A move is held back until the next one shows how its
// corner ends; moves across the plane (a plunge) wait with it.
#include <korvane/KorvaneGCode.h>

#include <functional>
#include <optional>
#include <vector>

namespace korvane::gcode {

class CutterCompensation {
 public:
  enum class Side { Left, Right };
  using Emit = std::function<void(const Move&)>;

  // `first` and `second` index the plane's axes (0 x, 1 y, 2 z), seen from
  // `normal` as Move::axis gives it; `tool` is where the tool stands.
  CutterCompensation(Side side, double radius, int first, int second, const Point& normal, const Point& tool,
                     Emit emit);

  // A programmed move from `from`. Throws LineError for a straight entry
  // move no longer than the radius, and for gouging.
  void add(const Move& programmed, const Point& from, size_t column);
  // The held move ends on its own offset (G40, the program's end).
  void finish();
  // Moves held back, not yet emitted.
  size_t held() const { return held_ ? 1 + held_->waiting.size() : 0; }

 private:
  struct V2 {
    double u = 0, v = 0;
  };
  struct Element {
    Move move;  // as programmed: motion, feed, centre, the third axis...
    bool arc = false, counterClockwise = false;
    V2 start, end;     // the tool's, the end until the next corner settles it
    V2 centre;         // arcs
    V2 corner;         // the programmed end
    V2 tangentStart, tangentEnd;  // the path's direction at its ends
    std::vector<Move> waiting;  // moves across the plane after it
  };

  V2 planar(const Point& p) const;
  Point placed(Point p, const V2& at) const;  // p with its plane coordinates at `at`
  V2 offset(const V2& p, const V2& tangent) const;
  Element elementOf(const Move& m, const Point& from, size_t column) const;
  Element entryOf(const Move& m, size_t column) const;
  void join(Element& next, size_t column);
  void roundCorner(const Element& held, const Element& next, const V2& corner);
  void release(const Element& e);

  Side side_;
  double radius_, sign_;
  int first_, second_;
  Point normal_;
  Point tool_;  // where the tool stands after what was emitted
  Emit emit_;
  std::optional<Element> held_;
};

}  // namespace korvane::gcode
