// libFuzzer target: any bytes as an RS274NGC program. It is interpreted or
// refused with an Error, within the block and move limits; every value it
// hands out is finite. Anything else is a fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <korvane/KorvaneGCode.h>

namespace {

bool finite(const korvane::gcode::Point& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvane::gcode::Options options;
  options.blockLimit = 20'000;
  options.moveLimit = 20'000;
  options.readFile = [](const std::string&) { return std::optional<std::string>(); };
  // Tools for cutter compensation: one in the spindle, one small.
  options.tools = {{1, 6.0, 50.0}, {2, 0.5, 20.0}};
  options.toolInSpindle = 1;
  try {
    const korvane::gcode::Program program =
        korvane::gcode::interpret(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.ngc", options);
    if (program.moves.size() > options.moveLimit) __builtin_trap();
    for (const korvane::gcode::Move& m : program.moves)
      if (!finite(m.end) || !finite(m.centre) || !finite(m.rotary) || !std::isfinite(m.feed) || !std::isfinite(m.spindle))
        __builtin_trap();
  } catch (const korvane::gcode::Error&) {
  }
  return 0;
}
