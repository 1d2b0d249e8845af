// libFuzzer target: any bytes as a machine definition (the first byte picks
// the legacy layout, the host unit and the direction mode). Whatever loads is
// built into a machine, posed, solved and asked for tool transforms; nothing
// read may reach the maths as NaN or crash it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "machine/DefinitionReader.h"
#include "machine/Machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  machine::DefinitionRead read = machine::readDefinition(text, flags & 1, flags & 2);
  if (read.status != machine::LoadStatus::Loaded) return 0;
  const machine::Machine m(std::move(read.definition), flags & 4);
  const std::vector<double> state = m.initialState();
  for (double value : state)
    if (!std::isfinite(value)) __builtin_trap();
  const std::vector<glm::dmat4> poses = m.pose(state);
  (void)m.toolPose(poses, glm::dvec3(1, 2, 3), 50.0);
  (void)m.solve(glm::dvec3(10, -5, 3), glm::dvec3(0.3, -0.2, 0.9), 40.0, glm::dvec3(0.0), state);
  const glm::dmat4 t = m.kinematics().toolTransform(glm::dvec3(0.5, 0.25, -1.0));
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      if (!std::isfinite(t[c][r])) __builtin_trap();
  return 0;
}
