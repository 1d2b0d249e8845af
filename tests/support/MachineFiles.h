#pragma once
// The sample machine definitions shipped in machines/, boxes as the
// host's model records, and a data folder of a test's own for the models'
// cache.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <glm/vec3.hpp>

#include "korvane/Korvane.h"

namespace testsupport {

inline std::string machineText(const std::string& name) {
  std::ifstream in(std::string(KORVANE_MACHINES_DIR) + "/" + name + "/machine.json", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A data folder of the test's own (the convex pieces' cache goes there),
// removed at the end.
struct OwnDataFolder {
  Render* view;
  std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) / ("korvane-models-" + std::to_string(::getpid()));
  explicit OwnDataFolder(Render* v) : view(v) {
    EXPECT_EQ(SIM_SetParameter(view, SIM_PARAMETER_DATA_FOLDER, folder.c_str()), 0);
  }
  ~OwnDataFolder() {
    EXPECT_EQ(SIM_SetParameter(view, SIM_PARAMETER_DATA_FOLDER, nullptr), 0);
    std::filesystem::remove_all(folder);
  }
};

// A box as a model record's arrays: corner i has hi's x, y, z where bits
// 0, 1, 2 of i are set.
struct BoxModel {
  std::string path;
  std::vector<float> vertices;
  std::vector<uint32_t> indices;
  BoxModel(std::string name, glm::vec3 lo, glm::vec3 hi) : path(std::move(name)) {
    for (int i = 0; i < 8; ++i)
      vertices.insert(vertices.end(), {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
    indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4, 2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
  }
  SIM_MachineModelRecord record() const {
    return {path.c_str(), vertices.data(), vertices.size() / 3, indices.data(), indices.size()};
  }
  // Its triangles as whole triangles, nine floats each.
  std::vector<float> soup() const {
    std::vector<float> out;
    for (uint32_t index : indices) out.insert(out.end(), vertices.begin() + 3 * index, vertices.begin() + 3 * index + 3);
    return out;
  }
};

}  // namespace testsupport
