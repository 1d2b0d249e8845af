#pragma once
// The colour dialog for the interface's swatches: shown on a thread of its
// own (the dialog blocks until the user answers), its answer handed back
// through a future. When it comes, wake is set so the view draws again and
// the swatch takes it; wake outlives the view if the dialog does.
#include <atomic>
#include <memory>
#include <string>

#include "ui/ColorPicker.h"

namespace view {

UI::ColorPicker::Answer askColour(const std::string& title, const UI::Colour& current,
                                  std::shared_ptr<std::atomic<bool>> wake);

}  // namespace view
