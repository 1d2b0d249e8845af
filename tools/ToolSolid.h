#pragma once
// A tool's solid as one triangle soup in tool coordinates (tip at the
// origin, axis along +Y): its parts and, placed from the mount point, its
// holder. What collision checks test.
#include <vector>

#include <glm/vec3.hpp>

#include "tools/Tool.h"

namespace tools {

std::vector<glm::vec3> solidTriangles(const Tool& tool, bool withHolder = true);

}  // namespace tools
