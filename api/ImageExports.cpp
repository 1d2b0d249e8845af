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

SIM_EXPORT int32_t SIM_RenderWindowImage(Render* view, int32_t* width, int32_t* height, uint8_t* rgba,
                                         int64_t capacity) {
  if (!width || !height) return -1;
  return api::onView<int32_t>(view, -1, 1, [&](Render& v) {
    if (v.isOwnThread()) return 1;
    auto picture = std::make_shared<std::promise<Render::WindowImage>>();
    std::future<Render::WindowImage> drawn = picture->get_future();
    v.commands().post(view::CommandStage::AfterCut, [&v, picture] {
      view::fulfil(*picture, [&] { return v.windowImage(); });
    });
    platform::DispatcherWait dispatcherWaits;
    if (drawn.wait_for(std::chrono::seconds(60)) != std::future_status::ready) return 1;
    const Render::WindowImage image = drawn.get();  // throws when the view closed first
    const size_t row = size_t(image.width) * 4;
    if (image.width <= 0 || image.height <= 0 || image.rgba.size() != row * size_t(image.height)) return 1;
    *width = image.width;
    *height = image.height;
    if (!rgba) return 0;
    if (capacity < 0 || size_t(capacity) < row * size_t(image.height)) return 2;
    for (int32_t y = 0; y < image.height; ++y)
      std::memcpy(rgba + row * y, image.rgba.data() + row * (image.height - 1 - y), row);
    return 0;
  });
}

}  // extern "C"
