#include "view/ColourDialog.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "platform/Dialogs.h"

namespace view {

UI::ColorPicker::Answer askColour(const std::string& title, const UI::Colour& current,
                                  std::shared_ptr<std::atomic<bool>> wake) {
  auto promise = std::make_shared<std::promise<std::optional<UI::Colour>>>();
  UI::ColorPicker::Answer answer = promise->get_future().share();
  platform::Rgb initial{};
  for (size_t k = 0; k < 3; ++k)
    initial[k] = static_cast<uint8_t>(std::lround(std::clamp(current[k], 0.0f, 1.0f) * 255.0f));
  std::shared_ptr<platform::DialogProvider> provider = platform::dialogs();
  auto ask = [promise, provider, title, initial, wake] {
    std::optional<UI::Colour> result;
    try {
      if (const std::optional<platform::Rgb> chosen = provider->chooseColour(title, initial))
        result = UI::Colour{(*chosen)[0] / 255.0f, (*chosen)[1] / 255.0f, (*chosen)[2] / 255.0f, 1.0f};
    } catch (...) {
      // A dialog that failed answers as a cancelled one.
    }
    promise->set_value(result);
    if (wake) *wake = true;
  };
  try {
    std::thread(std::move(ask)).detach();
  } catch (...) {
    // No thread for the dialog: it answers as a cancelled one.
    std::promise<std::optional<UI::Colour>> cancelled;
    cancelled.set_value(std::nullopt);
    return cancelled.get_future().share();
  }
  return answer;
}

}  // namespace view
