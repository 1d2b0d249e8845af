// Figures of the simulation file: its size, the time to write it from a
// view (SIM_ExportSimulation) and to load it into a fresh view
// (SIM_LoadSimulation), for the standard job and for bear.nc with a ball
// mill, plus the codec alone (encode, decode) for each.
//
//   xvfb-run -a simulation_file_bench
#include <cstdio>
#include <filesystem>
#include <string>

#include "GCodeReader.h"
#include "JobRecords.h"
#include "StandardJobView.h"
#include "ViewBench.h"
#include "formats/SimulationFile.h"
#include "platform/WholeFile.h"
#include "support/ToolBuilder.h"

namespace {

void measure(const char* name, Render* view, const std::filesystem::path& file) {
  const auto writeStart = bench::Clock::now();
  SIM_ExportSimulation(view, file.c_str());
  const double write = bench::secondsSince(writeStart);
  const std::vector<uint8_t> bytes = platform::readWholeFile(file, size_t{1} << 32).value_or(std::vector<uint8_t>{});

  const auto decodeStart = bench::Clock::now();
  const formats::DecodedSimulation decoded = formats::decodeSimulation(bytes);
  const double decode = bench::secondsSince(decodeStart);
  double encode = 0;
  if (decoded.content) {
    const auto encodeStart = bench::Clock::now();
    const std::vector<uint8_t> again = formats::encodeSimulation(*decoded.content);
    encode = bench::secondsSince(encodeStart);
  }

  Render* fresh = bench::createView(true);
  const auto loadStart = bench::Clock::now();
  const int32_t loaded = SIM_LoadSimulation(fresh, file.c_str());
  const double load = bench::secondsSince(loadStart);
  SIM_CloseView(fresh);
  std::printf("%-14s %10zu bytes  write %7.1f ms  load %7.1f ms (code %d)  encode %6.1f ms  decode %6.1f ms\n", name,
              bytes.size(), write * 1e3, load * 1e3, loaded, encode * 1e3, decode * 1e3);
}

}  // namespace

int main() {
  if (SIM_InitOpenGL() != 1) return 1;
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "korvane-bench.TarvoSimData";
  {
    Render* view = bench::createView(true);
    bench::loadStandardJob(view, bench::StandardJob());
    measure("standard job", view, file);
    SIM_CloseView(view);
  }
  {
    Render* view = bench::createView(true);
    const host::Program bear = host::readGCodeFile(KORVANE_BEAR);
    const host::ToolpathArrays path = host::toolpathOf(bear);
    testsupport::ToolTableBuilder tools;
    tools.addTool("T1", {{SIM_PART_CUTTING, testsupport::ballProfile(1.5875, 25.4)}});
    const SIM_ToolTableRecord table = tools.record();
    SIM_SetToolTable(view, &table);
    SIM_StockRecord stock = SIM_GetStock(nullptr, 0);
    stock.identifier = 1;
    stock.kind = SIM_STOCK_BOX;
    const double lo[3] = {0, 0, -20}, hi[3] = {80, 80, 0};
    for (int k = 0; k < 3; ++k) stock.boxMin[k] = lo[k], stock.boxMax[k] = hi[k];
    SIM_CreateStock(view, stock);
    const SIM_ToolpathRecord record = path.record();
    SIM_SetToolpath(view, &record);
    SIM_SetNCFile(view, bear.text.c_str(), nullptr, 0);
    measure("bear.nc", view, file);
    SIM_CloseView(view);
  }
  std::filesystem::remove(file);
  while (SIM_TerminateOpenGL() > 0) {
  }
  return 0;
}
