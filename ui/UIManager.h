#pragma once
// The interface's frame pass and its one draw call. Each frame the caller
// walks its elements, which append their records; when the list differs
// from the last frame's it is uploaded and the view must draw again,
// otherwise nothing is uploaded. Drawing puts every record on top of the
// scene with one instanced call, blended per channel (dual-source) so
// glyphs keep their subpixel coverage. Render thread only, with the view's
// context current.
#include <cstdint>
#include <functional>
#include <vector>

#include "gpu/GL.h"
#include "ui/FontAtlas.h"
#include "ui/IconAtlas.h"
#include "ui/StringTable.h"
#include "ui/UIContext.h"
#include "ui/UIInstance.h"

namespace UI {

class UIManager {
 public:
  UIManager() = default;
  ~UIManager();
  UIManager(const UIManager&) = delete;
  UIManager& operator=(const UIManager&) = delete;

  UIContext& context() { return context_; }

  // The glyph atlas for these texts and text brightness, built and uploaded
  // (texture unit 0, "fontTexture") when either changed since the last call.
  void ensureAtlas(const StringTable& texts, bool bright, int dpi);
  const FontAtlas& atlas() const { return atlas_; }
  // The icon atlas of the variant this DPI uses, decoded and uploaded
  // (texture unit 1, "iconTexture1") when the variant changes; true when it
  // was loaded.
  bool loadIcons(int dpi);
  const IconAtlas& icons() const { return icons_; }

  // Steps the context to the frame's input, lets walk append the records,
  // and uploads them when they changed; true when they did.
  bool framePass(const FrameInput& input, const std::function<void(std::vector<UIInstance>&)>& walk);
  // The records on top of what is drawn; GL state comes back as it was.
  void draw();
  const std::vector<UIInstance>& records() const { return records_; }
  uint64_t uploads() const { return uploads_; }

  // Frees the GL objects (the context must be current).
  void release();

 private:
  void makeBuffers();
  void upload();

  UIContext context_;
  FontAtlas atlas_;
  StringTable atlasTexts_;
  bool atlasBuilt_ = false;
  std::vector<UIInstance> records_, previous_;
  IconAtlas icons_;
  GLuint vao_ = 0, quad_ = 0, instances_ = 0, fontTexture_ = 0, iconTexture_ = 0;
  size_t capacity_ = 0;  // records the instance buffer holds
  GLsync fence_ = nullptr;
  uint64_t uploads_ = 0;
};

}  // namespace UI
