#pragma once
// Machine definitions in the legacy layout: a "MachineDefinition" (or
// "MachineDefinitionLocked") root with a "Header", "MachinePartGroups" and
// differently named keys. Converted to the current layout before reading.
#include <optional>

#include <json/value.h>

namespace machine {

// None when the document has no legacy root object.
std::optional<Json::Value> convertLegacy(const Json::Value& document);

}  // namespace machine
