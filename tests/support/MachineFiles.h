#pragma once
// The sample machine definitions shipped in machines/.
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

inline std::string machineText(const std::string& name) {
  std::ifstream in(std::string(KORVANE_MACHINES_DIR) + "/" + name + "/machine.json", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace testsupport
