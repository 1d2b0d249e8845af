#pragma once
// What the stock-quality panel shows: the precision mode and value of the
// stock created or updated last, in the view's units. Any thread.
#include "ui/StockQuality.h"
#include "view/JobData.h"

namespace view {

UI::StockQualityValues stockQualityOf(const JobData& job);

}  // namespace view
