#include "ui/UIManager.h"

#include <algorithm>
#include <cstring>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "ui/IconVariant.h"

namespace UI {

namespace {

constexpr const char* kVertex = "Shaders\\uielem.vert";
constexpr const char* kFragment = "Shaders\\uielem.frag";

GLuint program() { return gpu::drawProgram(kVertex, kFragment); }

}  // namespace

namespace {

// Uploads to a texture unit leave the active unit, the unit's texture and
// the unpack alignment as the frame's other passes had them.
class TextureUploadScope {
 public:
  explicit TextureUploadScope(GLenum unit) {
    glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit_);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment_);
    glActiveTexture(unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  }
  ~TextureUploadScope() {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture_));
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment_);
    glActiveTexture(static_cast<GLenum>(previousUnit_));
  }
  TextureUploadScope(const TextureUploadScope&) = delete;
  TextureUploadScope& operator=(const TextureUploadScope&) = delete;

 private:
  GLint previousUnit_ = 0, previousAlignment_ = 0, previousTexture_ = 0;
};

}  // namespace

UIManager::~UIManager() = default;

void UIManager::ensureAtlas(const StringTable& texts, bool bright, int dpi) {
  if (atlasBuilt_ && atlas_.bright == bright && atlas_.dpi == dpi && atlasTexts_ == texts) return;
  // Besides the texts: the degree sign of the rotary axes' values.
  atlas_ = buildFontAtlas(texts, u"\u00B0", bright, dpi);
  atlasTexts_ = texts;
  atlasBuilt_ = true;
  context_.glyphs = &atlas_;
  ++context_.glyphGeneration;
  context_.dpi = atlas_.dpi;
  context_.contentScaleX = context_.contentScaleY = atlas_.contentScale;

  const TextureUploadScope scope(GL_TEXTURE0);
  if (!fontTexture_) {
    glGenTextures(1, &fontTexture_);
    glBindTexture(GL_TEXTURE_2D, fontTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, FontAtlas::kWidth, FontAtlas::kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  glBindTexture(GL_TEXTURE_2D, fontTexture_);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, FontAtlas::kWidth, FontAtlas::kHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                  atlas_.rgba.data());
  const GLuint p = program();
  glProgramUniform1i(p, gpu::uniformLocation(p, "fontTexture"), 0);
  glProgramUniform1i(p, gpu::uniformLocation(p, "iconTexture1"), 1);
}

bool UIManager::loadIcons(int dpi) {
  if (icons_.dpi != 0 && icons_.dpi == iconVariantDpi(dpi)) return false;
  icons_ = decodeIconAtlas(dpi);
  context_.icons = &icons_;
  if (icons_.dpi == 0) return false;

  const TextureUploadScope scope(GL_TEXTURE1);
  // A new variant may have another size: the texture is specified again.
  if (!iconTexture_) glGenTextures(1, &iconTexture_);
  glBindTexture(GL_TEXTURE_2D, iconTexture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, icons_.width, icons_.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               icons_.rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return true;
}

bool UIManager::framePass(const FrameInput& input, const std::function<void(std::vector<UIInstance>&)>& walk) {
  context_.beginFrame(input);
  std::swap(previous_, records_);
  records_.clear();
  walk(records_);
  // Bytewise: a record is plain floats, and an empty list has no storage.
  const bool changed =
      records_.size() != previous_.size() ||
      (!records_.empty() && std::memcmp(records_.data(), previous_.data(), records_.size() * sizeof(UIInstance)) != 0);
  if (changed) upload();
  return changed;
}

void UIManager::makeBuffers() {
  static constexpr float kQuad[12] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
  glGenVertexArrays(1, &vao_);
  glGenBuffers(1, &quad_);
  glGenBuffers(1, &instances_);
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, quad_);
  glBufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, instances_);
  struct Attribute {
    GLuint location;
    GLint components;
    size_t offset;
  };
  static constexpr Attribute kAttributes[] = {{1, 2, 0}, {2, 2, 8}, {3, 4, 16}, {4, 4, 32}, {5, 1, 48}, {6, 1, 52}, {7, 4, 56}};
  for (const Attribute& a : kAttributes) {
    glEnableVertexAttribArray(a.location);
    glVertexAttribPointer(a.location, a.components, GL_FLOAT, GL_FALSE, sizeof(UIInstance),
                          reinterpret_cast<const void*>(a.offset));
    glVertexAttribDivisor(a.location, 1);
  }
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void UIManager::upload() {
  if (!vao_) makeBuffers();
  // The last draw may still read the buffer.
  if (fence_) {
    glClientWaitSync(fence_, GL_SYNC_FLUSH_COMMANDS_BIT, GL_TIMEOUT_IGNORED);
    glDeleteSync(fence_);
    fence_ = nullptr;
  }
  glBindBuffer(GL_ARRAY_BUFFER, instances_);
  const size_t bytes = records_.size() * sizeof(UIInstance);
  if (records_.size() > capacity_) {
    capacity_ = std::max<size_t>(records_.size(), 2 * capacity_);
    glBufferData(GL_ARRAY_BUFFER, capacity_ * sizeof(UIInstance), nullptr, GL_DYNAMIC_DRAW);
  }
  if (bytes) glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, records_.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  ++uploads_;
}

void UIManager::draw() {
  if (records_.empty() || !vao_) return;
  GLint previousProgram = 0, previousVao = 0, previousTextures[2] = {0, 0};
  glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousVao);
  const GLuint p = program();
  glUseProgram(p);
  glUniform1f(gpu::uniformLocation(p, "aspect"), context_.windowWidth / context_.windowHeight);
  GLint source = 0, destination = 0, sourceAlpha = 0, destinationAlpha = 0, previousUnit = 0;
  glGetIntegerv(GL_BLEND_SRC_RGB, &source);
  glGetIntegerv(GL_BLEND_DST_RGB, &destination);
  glGetIntegerv(GL_BLEND_SRC_ALPHA, &sourceAlpha);
  glGetIntegerv(GL_BLEND_DST_ALPHA, &destinationAlpha);
  const GLboolean blend = glIsEnabled(GL_BLEND), depth = glIsEnabled(GL_DEPTH_TEST);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit);
  for (GLuint unit = 0; unit < 2; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTextures[unit]);
    glBindTexture(GL_TEXTURE_2D, unit == 0 ? fontTexture_ : iconTexture_);
  }

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC1_COLOR);
  glDisable(GL_DEPTH_TEST);
  glBindVertexArray(vao_);
  glDrawArraysInstanced(GL_TRIANGLES, 0, 6, static_cast<GLsizei>(records_.size()));
  glBindVertexArray(static_cast<GLuint>(previousVao));
  if (depth) glEnable(GL_DEPTH_TEST);
  glBlendFuncSeparate(source, destination, sourceAlpha, destinationAlpha);
  if (!blend) glDisable(GL_BLEND);
  for (GLuint unit = 0; unit < 2; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTextures[unit]));
  }
  glActiveTexture(static_cast<GLenum>(previousUnit));
  glUseProgram(static_cast<GLuint>(previousProgram));
  if (fence_) glDeleteSync(fence_);
  fence_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
}

void UIManager::release() {
  if (fence_) glDeleteSync(fence_);
  fence_ = nullptr;
  if (vao_) glDeleteVertexArrays(1, &vao_);
  GLuint buffers[2] = {quad_, instances_};
  glDeleteBuffers(2, buffers);
  if (fontTexture_) glDeleteTextures(1, &fontTexture_);
  if (iconTexture_) glDeleteTextures(1, &iconTexture_);
  vao_ = quad_ = instances_ = fontTexture_ = iconTexture_ = 0;
  icons_ = IconAtlas{};
  capacity_ = 0;
  atlasBuilt_ = false;
}

}  // namespace UI
