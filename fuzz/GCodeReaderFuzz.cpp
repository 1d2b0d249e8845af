// libFuzzer target: any bytes as a G-code program for the sample host. A
// program is read or refused with a GCodeError; anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "GCodeReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const host::Program program = host::readGCode(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
    for (const host::ProgramToolChange& change : program.toolChanges)
      if (change.move > program.moves.size()) __builtin_trap();
  } catch (const host::GCodeError&) {
  }
  return 0;
}
