// STL analysis without a view.
#include <cstring>
#include <exception>

#include "korvane/Korvane.h"
#include "formats/StlReader.h"

extern "C" {

SIM_EXPORT SIM_StlAnalysis SIM_AnalyseSTL(const char* path) {
  SIM_StlAnalysis result;
  std::memset(&result, 0, sizeof result);
  result.status = 1;
  if (!path) return result;
  try {
    const formats::StlBox box = formats::analyseStl(formats::readStl(path));
    std::memcpy(result.min, box.min, sizeof result.min);
    std::memcpy(result.max, box.max, sizeof result.max);
    result.status = box.status;
  } catch (const std::exception&) {
    // No memory for the file's triangles: status 1.
  }
  return result;
}

}  // extern "C"
