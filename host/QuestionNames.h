#pragma once
// The names of SIM_Question's codes, for printing the answers.
#include <array>
#include <cstdint>

namespace host {

inline const char* questionName(uint32_t code) {
  static const std::array<const char*, 57> kNames = {
    "MachinePanelShown",
    "MachinePanelOption",
    "ToolpathShown",
    "StockShown",
    "StockCutShown",
    "HasStockKindZero",
    "HasStockKindOne",
    "CollisionCheckRunning",
    "CollisionReportReady",
    "ToolShown",
    "MouseModeTwo",
    "MouseModeOne",
    "MouseModeZero",
    "RapidMovesShown",
    "CuttingMovesShown",
    "HolderShown",
    "PointsShown",
    "HasCollision",
    "HighlightElements",
    "HighlightArcs",
    "LargePoints",
    "BoundingBoxShown",
    "PlotControlShown",
    "LoopOn",
    "ViewOption26",
    "ToolpathOriginShown",
    "FollowTool",
    "MeasureMode",
    "ZoomWindowActive",
    "ViewOption38",
    "ToolVectorsShown",
    "SolidOptionSet",
    "PlacementActive",
    "AxisControlShown",
    "OperationsListShown",
    "KeepHorizon",
    "ViewOption51",
    "ThickLines",
    "ColorLoop",
    "UiOption54",
    "ViewOption55",
    "StockPending",
    "UiOption56",
    "UiOption57",
    "HasEnabledSolid",
    "ColorByFeedrate",
    "CanJumpToCut",
    "Perspective",
    "ToolchangeSequenceShown",
    "ToolpathColorsShown",
    "StatisticsShown",
    "-",
    "NcCodeShown",
    "SpindleArrowsVisible",
    "SpindleArrows",
    "ActiveOffsetShown",
    "GridShown",
  };
  return code < kNames.size() ? kNames[code] : "-";
}

}  // namespace host
