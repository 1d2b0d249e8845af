#pragma once
// The interface's icons: index, name and the SVG source in ui/icons/ that
// the build rasterises into the five atlas images. Index 0 is no icon;
// indices up to kIconCount - 1 without an entry here are unused (their
// rectangles are zero). The build reads this list, so each entry stays on
// one line in the form X(index, Name, "file").
#include <cstdint>

namespace UI {

#define KORVANE_ICONS(X) \
  X(1, Play, "play") \
  X(2, Pause, "pause") \
  X(3, GoStart, "go_start") \
  X(4, GoEnd, "go_end") \
  X(5, PrevTool, "prev_tool") \
  X(6, NextTool, "next_tool") \
  X(7, PrevOperation, "prev_operation") \
  X(8, NextOperation, "next_operation") \
  X(9, PrevPass, "prev_pass") \
  X(10, NextPass, "next_pass") \
  X(11, PrevZ, "prev_z") \
  X(12, NextZ, "next_z") \
  X(13, PrevElement, "prev_element") \
  X(14, NextElement, "next_element") \
  X(15, Tool, "tool") \
  X(16, Holder, "holder") \
  X(17, Stock, "stock") \
  X(18, Workpiece, "workpiece") \
  X(19, Fixture, "fixture") \
  X(20, StockQuality, "stock_quality") \
  X(21, ZoomWindow, "zoom_window") \
  X(22, Compare, "compare") \
  X(23, Section, "section") \
  X(24, Toolpath, "toolpath") \
  X(25, StopCollision, "stop_collision") \
  X(26, CollisionCheck, "collision_check") \
  X(27, Fit, "fit") \
  X(28, Orthographic, "orthographic") \
  X(29, Perspective, "perspective") \
  X(30, Measure, "measure") \
  X(31, Panels, "panels") \
  X(32, Machine, "machine") \
  X(33, Head, "head") \
  X(34, Table, "table") \
  X(35, Base, "base") \
  X(36, SavePresentation, "save_presentation") \
  X(37, Setup, "setup") \
  X(38, About, "about") \
  X(39, Toolchange, "toolchange") \
  X(40, DepthFilter, "depth_filter") \
  X(41, ThickLines, "thick_lines") \
  X(42, Animation, "animation") \
  X(43, Tail, "tail") \
  X(44, ViewTop, "view_top") \
  X(45, ViewBottom, "view_bottom") \
  X(46, ViewLeft, "view_left") \
  X(47, ViewRight, "view_right") \
  X(48, ViewFront, "view_front") \
  X(49, ViewBack, "view_back") \
  X(50, ViewTool, "view_tool") \
  X(51, Check, "check") \
  X(52, Radio, "radio") \
  X(53, Dropdown, "dropdown") \
  X(54, Close, "close") \
  X(55, Loop, "loop") \
  X(56, FollowTool, "follow_tool") \
  X(57, Points, "points") \
  X(58, Grid, "grid") \
  X(59, Colours, "colours") \
  X(60, SaveStl, "save_stl") \
  X(61, OperationsList, "operations_list") \
  X(62, NcCode, "nc_code") \
  X(63, Statistics, "statistics") \
  X(64, AxisControl, "axis_control") \
  X(65, Origin, "origin") \
  X(66, BoundingBox, "bounding_box")

enum class IconId : uint16_t {
  Empty = 0,  // no icon
#define KORVANE_ICON_ENUM(index, name, file) name = index,
  KORVANE_ICONS(KORVANE_ICON_ENUM)
#undef KORVANE_ICON_ENUM
};

// Entries in each atlas's rectangle table.
constexpr uint32_t kIconCount = 182;

}  // namespace UI
