#include "view/StockQualityOf.h"

namespace view {

UI::StockQualityValues stockQualityOf(const JobData& job) {
  UI::StockQualityValues values;
  values.inch = job.units.unit.load() != 0;
  const std::optional<uint32_t> current = job.stocks.currentStock();
  const std::optional<stock::StockDescription> found = current ? job.stocks.stock(*current) : std::nullopt;
  if (!found) return values;
  const stock::StockDefinition& d = found->definition;
  switch (d.precision) {
    case stock::StockPrecision::Quality: values.mode = UI::StockQualityValues::Mode::Fraction; break;
    case stock::StockPrecision::Level: values.mode = UI::StockQualityValues::Mode::Level; break;
    case stock::StockPrecision::Tolerance: values.mode = UI::StockQualityValues::Mode::Tolerance; break;
  }
  values.quality = d.quality;
  values.level = d.level;
  return values;
}

}  // namespace view
