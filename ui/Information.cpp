#include "ui/Information.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace UI {

namespace {

// Table entries of the row labels, top to bottom.
constexpr uint16_t kLabels[] = {0, 1, 2, 13, 14, 12, 10, 22};
constexpr uint16_t kTitle = 8;  // "Tool position"
constexpr size_t kCoordinateRows = 3;  // X, Y and Z come first

}  // namespace

Information::Information(UIContext* context, const Theme* theme, const StringTable* texts)
    : RowPanel(context, theme, texts, kTitle, {std::begin(kLabels), std::end(kLabels)}) {
  relX = relY = 0;
  offsetX = offsetY = 8;
}

void Information::setValues(const InformationValues& v) {
  const double scale = v.inch ? 1.0 / 25.4 : 1.0;
  const std::u16string unit = (*texts_)[v.inch ? 24 : 23];
  for (size_t k = 0; k < kCoordinateRows; ++k)
    rows_[k]->setValue(v.hasToolpath ? formatNumber(v.tip[k] * scale, v.decimals) : u"-");
  rows_[3]->setValue(v.hasToolpath ? formatNumber(v.feed * scale, v.inch ? 2 : 0) + u" " + unit + u"/min" : u"-");
  rows_[4]->setValue(v.hasToolpath ? formatNumber(v.spindle, 0) : u"-");
  rows_[5]->setValue(v.tool.empty() ? u"-" : v.tool);
  rows_[6]->setValue(v.operation.empty() ? u"-" : v.operation);
  rows_[7]->setValue(formatDuration(v.seconds));
  fitRows();
}

}  // namespace UI
