// Exports that hand the host pictures of the view.
#include <chrono>
#include <cstring>
#include <future>
#include <memory>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "platform/MessageBus.h"
#include "view/Fulfil.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_RenderImage(Render* view, int32_t width, int32_t height, uint8_t* rgba) {
  if (!rgba || width <= 0 || height <= 0 || width > 16384 || height > 16384) return -1;
  return api::onView<int32_t>(view, -1, 1, [&](Render& v) {
    // The render thread draws it; a call from the render thread itself (a
    // handler of a sent event) would wait for itself.
    if (v.isOwnThread()) return 1;
    auto picture = std::make_shared<std::promise<std::vector<uint8_t>>>();
    std::future<std::vector<uint8_t>> pixels = picture->get_future();
    // The picture shows the stock cut up to the position the host last set.
    v.commands().post(view::CommandStage::AfterCut, [&v, width, height, picture] {
      view::fulfil(*picture, [&] { return v.renderImage(width, height); });
    });
    // Called from a posted handler, the wait must let the view's own sent
    // messages (a closing window) through.
    platform::DispatcherWait dispatcherWaits;
    if (pixels.wait_for(std::chrono::seconds(60)) != std::future_status::ready) return 1;
    const std::vector<uint8_t> image = pixels.get();  // throws when the view closed first
    const size_t row = size_t(width) * 4;
    if (image.size() != row * size_t(height)) return 1;
    // OpenGL's rows run from the bottom up; the host's from the top down.
    for (int32_t y = 0; y < height; ++y) std::memcpy(rgba + row * y, image.data() + row * (height - 1 - y), row);
    return 0;
  });
}

}  // extern "C"
