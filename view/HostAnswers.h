#pragma once
// What getters hand back to the host: records with the texts and arrays
// they point into. Each answer stays valid until the next call of the same
// getter, under that getter's own lock.
#include <mutex>
#include <string>
#include <vector>

#include "korvane/Korvane.h"

namespace view {

struct StockAnswer {
  std::vector<SIM_StockRecord> records;
  std::vector<std::string> texts;  // mesh geometry and mesh path of each record
};

struct GeometryAnswer {
  std::vector<SIM_GeometryRecord> records;
  std::vector<std::string> paths;
  std::vector<std::vector<float>> vertices;
};

struct HostAnswers {
  std::mutex stockMutex, stockListMutex, geometryMutex, geometryListMutex, toolTableMutex, compensationMutex;
  StockAnswer stock, stockList;
  GeometryAnswer geometry, geometryList;
  std::vector<SIM_ToolRecord> tools;
  std::vector<SIM_HolderRecord> holders;
  std::vector<SIM_CompensationResult> compensation;
  std::mutex machineStatusMutex;
  std::string machineStatusMessage;
};

}  // namespace view
