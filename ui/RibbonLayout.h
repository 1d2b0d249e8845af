#pragma once
// What the ribbon bar offers, left to right: its split buttons, each with
// the action its main part runs (none: the main part opens the menu), its
// icon, its hint texts (string-table entries) and the menu entries with
// their labels. Action numbers are those of RibbonState; a few buttons
// instead switch something the interface keeps to itself (a panel, the
// section view), named by an InterfaceToggle.
#include <cstdint>
#include <vector>

#include "ui/Icons.h"

namespace UI {

// What the interface switches without an action number.
enum class InterfaceToggle : uint8_t {
  Nothing,
  Section,          // the section view on the last chosen plane
  SectionPanel,     // the section-plane panel
  StockQualityPanel,
  ComparePanels,    // the compare colours and visibility panels
};

struct RibbonMenuEntry {
  uint32_t action;
  uint16_t label;   // string-table entry
  bool radio;       // one of a group that excludes the others
};

struct RibbonButtonEntry {
  int32_t mainAction;     // -1: the main part opens the menu
  IconId icon;
  uint16_t label;         // string-table entry, the hint's title without a hint
  int32_t hint;           // string-table hint ("Title\nDescription"); -1 none
  int32_t menuHint;       // hint over the menu arrow; -1 none
  bool togglesAll;        // the main part switches every menu entry
  bool endsGroup;         // a separator follows
  std::vector<RibbonMenuEntry> menu;
  InterfaceToggle mainToggle = InterfaceToggle::Nothing;   // the main part's, without an action
  InterfaceToggle arrowToggle = InterfaceToggle::Nothing;  // the arrow's, without a menu
};

const std::vector<RibbonButtonEntry>& ribbonLayout();

}  // namespace UI
