#pragma once
// Reads a machine definition from its JSON text. Keys of the wrong type are
// ignored and their defaults stay; vectors that are zero where a direction
// is needed, NaN or infinite never reach the definition.
#include <cstdint>
#include <string>
#include <string_view>

#include "machine/MachineDefinition.h"

namespace Json {
class Value;
}

namespace machine {

// How the last load went; what SIM_GetMachineLoadStatus reports.
enum class LoadStatus : int32_t {
  Loaded = 0,
  NoMachine = 1,       // nothing loaded yet
  ParseError = 2,      // the text is not JSON; the message has line and column
  NotAnObject = 3,     // the document (or its legacy root) is not an object
  NoLegacyRoot = 4,    // legacy text without "MachineDefinition" or "MachineDefinitionLocked"
};

struct DefinitionRead {
  MachineDefinition definition;
  LoadStatus status = LoadStatus::Loaded;
  std::string message;
};

// hostUnit: 0 millimetres, anything else inches; used when the text names no
// "Unit". legacy: the text has the legacy layout and is converted first.
DefinitionRead readDefinition(std::string_view text, bool legacy, uint32_t hostUnit);

// The same from a parsed document (modern layout).
DefinitionRead readDefinition(const Json::Value& document, uint32_t hostUnit);

}  // namespace machine
