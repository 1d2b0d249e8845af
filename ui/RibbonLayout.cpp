#include "ui/RibbonLayout.h"

#include "ui/RibbonState.h"

namespace UI {

namespace {

std::vector<RibbonMenuEntry> animationModes() {
  // "While playing" ... "Current operation": actions 30 to 39, one at a time.
  std::vector<RibbonMenuEntry> entries;
  for (uint32_t k = 0; k < 10; ++k) entries.push_back({30 + k, static_cast<uint16_t>(114 + k), true});
  entries.push_back({40, 124, false});  // "Follow the tool"
  entries.push_back({41, 125, false});  // "Loop"
  return entries;
}

std::vector<RibbonButtonEntry> makeLayout() {
  return {
      {54, IconId::Stock, 153, 222, 223, false, false,
       // "Remove Chips" (87) joins when chips are removed.
       {{55, 156, false}, {56, 154, false}, {57, 155, false}, {58, 92, false}, {66, 159, false}}},
      {-1, IconId::StockQuality, 91, 226, -1, false, false, {}, InterfaceToggle::StockQualityPanel},
      {65, IconId::Compare, 157, 229, 230, false, false, {}, InterfaceToggle::Nothing, InterfaceToggle::ComparePanels},
      {-1, IconId::Section, 167, 231, 232, false, true, {}, InterfaceToggle::Section, InterfaceToggle::SectionPanel},
      {42, IconId::Tool, 162, 220, 221, false, false, {{43, 163, false}, {85, 203, false}}},
      {20, IconId::Toolpath, 98, 233, 234, false, true,
       {{21, 99, false},
        {22, 100, false},
        {23, 101, false},
        {24, 102, false},
        {25, 103, false},
        {26, 104, false},
        {27, 105, false},
        {28, 106, false},
        {29, 107, false},
        {89, 108, false},
        {90, 109, false},
        {68, 126, false},
        {88, 127, false}}},
      {-1, IconId::Animation, 112, 254, 254, false, false, animationModes()},
      {11, IconId::Fit, 129, 238, 239, false, false,
       {{44, 130, false},
        {45, 131, false},
        {46, 132, false},
        {47, 133, false},
        {48, 134, false},
        {49, 135, false},
        {50, 136, false},
        {51, 137, false},
        {52, 138, true},
        {53, 139, true}}},
      {static_cast<int32_t>(kZoomWindowAction), IconId::ZoomWindow, 165, 227, 228, false, false, {{kZoomSelectionAction, 196, false}}},
      {67, IconId::Measure, 164, 240, -1, false, true, {}},
      {-1, IconId::Panels, 194, 241, 242, true, false,
       {{70, 189, false}, {74, 195, false}, {75, 51, false}, {83, 200, false}, {84, 201, false}, {86, 211, false}}},
      // "Stop at": the main part is "Collision", which switches the four
      // collision conditions together.
      {13, IconId::StopCollision, 181, 235, 236, false, false,
       {{12, 56, false},
        {79, 57, false},
        {14, 182, false},
        {15, 183, false},
        {16, 184, false},
        {17, 185, false},
        {18, 186, false},
        {19, 187, false}}},
      {78, IconId::Machine, 176, 243, -1, false, true, {}},
      {71, IconId::SavePresentation, 190, 248, -1, false, false, {}},
      {72, IconId::Setup, 191, 249, -1, false, false, {}},
      {76, IconId::About, 192, -1, -1, false, false, {}},
  };
}

}  // namespace

const std::vector<RibbonButtonEntry>& ribbonLayout() {
  static const std::vector<RibbonButtonEntry> layout = makeLayout();
  return layout;
}

}  // namespace UI
