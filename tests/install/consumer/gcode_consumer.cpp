// A host of the installed interpreter: two moves from two lines.
#include <korvane/KorvaneGCode.h>

int main() {
  const korvane::gcode::Program p = korvane::gcode::interpret("G0 X1\nG1 Y2 F100\n", "consumer.ngc");
  return p.moves.size() == 2 && p.moves[1].end.y == 2 && p.moves[1].feed == 100 ? 0 : 1;
}
