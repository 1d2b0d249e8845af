#include "ui/IconAtlas.h"

#include <stb_image.h>

#include <algorithm>
#include <memory>

#include "ui/EmbeddedIcons.h"
#include "ui/IconVariant.h"

namespace UI {

IconAtlas decodeIconAtlas(int windowDpi) {
  IconAtlas atlas;
  const EmbeddedIconVariant* variant = embeddedIconVariant(iconVariantDpi(windowDpi));
  if (!variant) return atlas;
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(variant->png, static_cast<int>(variant->pngSize), &width, &height, &channels, 4),
      stbi_image_free);
  if (!pixels || width <= 0 || height <= 0) return atlas;
  atlas.dpi = variant->dpi;
  atlas.cell = variant->cell;
  atlas.width = width;
  atlas.height = height;
  atlas.rgba.assign(pixels.get(), pixels.get() + size_t(width) * height * 4);
  for (uint32_t i = 0; i < kIconCount; ++i) std::copy_n(variant->table + 4 * i, 4, atlas.rects[i].begin());
  return atlas;
}

}  // namespace UI
