#include "tools/ToolSolid.h"

namespace tools {

std::vector<glm::vec3> solidTriangles(const Tool& tool, bool withHolder) {
  std::vector<glm::vec3> soup;
  for (const ToolPartShape& part : tool.parts)
    for (const PackedVertex& v : part.mesh) soup.emplace_back(v.x, v.y, v.z);
  if (withHolder && tool.holder) {
    // The holder's model sits in its own frame, placed by its rotation and
    // origin from the tool's mount point.
    const glm::vec3 offset = glm::vec3(tool.mountPoint) + tool.holder->origin;
    for (const PackedVertex& v : tool.holder->mesh) soup.push_back(tool.holder->rotation * glm::vec3(v.x, v.y, v.z) + offset);
  }
  soup.resize(soup.size() / 3 * 3);
  return soup;
}

}  // namespace tools
