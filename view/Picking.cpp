#include "view/Picking.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace view {
namespace {

// Edge lines sit on their faces; this much of |w| towards the viewer lets
// them win the depth test there.
constexpr float kLineDepthBias = 0.0002f;

// The states the id pass changes, taken on construction and put back on
// destruction.
class SavedState {
 public:
  SavedState() {
    for (size_t i = 0; i < std::size(kCaps); ++i) enabled_[i] = glIsEnabled(kCaps[i]);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc_);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask_);
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetIntegerv(GL_SCISSOR_BOX, scissor_);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer_);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
    glGetFloatv(GL_POINT_SIZE, &pointSize_);
  }
  ~SavedState() {
    for (size_t i = 0; i < std::size(kCaps); ++i) (enabled_[i] ? glEnable : glDisable)(kCaps[i]);
    glDepthFunc(static_cast<GLenum>(depthFunc_));
    glDepthMask(depthMask_);
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glScissor(scissor_[0], scissor_[1], scissor_[2], scissor_[3]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(framebuffer_));
    glUseProgram(static_cast<GLuint>(program_));
    glBindVertexArray(static_cast<GLuint>(vertexArray_));
    glPointSize(pointSize_);
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  static constexpr GLenum kCaps[] = {GL_BLEND, GL_CULL_FACE, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_DEPTH_TEST};
  GLboolean enabled_[std::size(kCaps)] = {};
  GLint depthFunc_ = GL_LESS, viewport_[4] = {}, scissor_[4] = {}, framebuffer_ = 0, program_ = 0, vertexArray_ = 0;
  GLboolean depthMask_ = GL_TRUE;
  GLfloat pointSize_ = 1.0f;
};

void setCamera(GLuint program, const glm::mat4& model, const glm::mat4& camHi, const glm::mat4& camLo) {
  glUniformMatrix4fv(gpu::uniformLocation(program, "model"), 1, GL_FALSE, glm::value_ptr(model));
  glUniformMatrix4fv(gpu::uniformLocation(program, "cam_hi"), 1, GL_FALSE, glm::value_ptr(camHi));
  glUniformMatrix4fv(gpu::uniformLocation(program, "cam_lo"), 1, GL_FALSE, glm::value_ptr(camLo));
}

// False when the box lies wholly beyond one plane of the clip volume
// (with a little room for the rounding of the split camera).
bool mayShow(const PickChunk& chunk, const glm::mat4& toClip) {
  constexpr float kRoom = 1.01f;
  int outside[6] = {};
  for (int corner = 0; corner < 8; ++corner) {
    const glm::vec4 p(corner & 1 ? chunk.max.x : chunk.min.x, corner & 2 ? chunk.max.y : chunk.min.y,
                      corner & 4 ? chunk.max.z : chunk.min.z, 1.0f);
    const glm::vec4 c = toClip * p;
    const float w = kRoom * c.w;
    outside[0] += c.x < -w, outside[1] += c.x > w;
    outside[2] += c.y < -w, outside[3] += c.y > w;
    outside[4] += c.z < -w, outside[5] += c.z > w;
  }
  return std::none_of(std::begin(outside), std::end(outside), [](int n) { return n == 8; });
}

}  // namespace

glm::mat4 Picking::narrowing(const Region& region, int width, int height) {
  const float sx = float(width) / float(region.width), sy = float(height) / float(region.height);
  const float cx = (2.0f * region.left + region.width) / float(width) - 1.0f;
  const float cy = (2.0f * region.bottom + region.height) / float(height) - 1.0f;
  glm::mat4 m(1.0f);
  m[0][0] = sx, m[1][1] = sy;
  m[3][0] = -cx * sx, m[3][1] = -cy * sy;
  return m;
}

bool Picking::drawIds(const PickList& list, const SceneDraw& scene, int width, int height,
                      std::optional<Region> region) {
  if (!target_.ensure(width, height)) return false;
  if (!meshProgram_) meshProgram_ = gpu::drawProgram("Shaders\\entityIdMesh.vert", "Shaders\\entityIdMesh.frag");
  if (!pointsProgram_)
    pointsProgram_ = gpu::drawProgram("Shaders\\entityIdToolpath.vert", "Shaders\\entityIdToolpath.frag");
  if (!meshProgram_ || !pointsProgram_) return false;

  const SavedState saved;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target_.framebuffer());
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDisable(GL_STENCIL_TEST);
  if (region) {
    // Only the pixels read back: the rasterizer skips every other fragment.
    glEnable(GL_SCISSOR_TEST);
    glScissor(region->left, region->bottom, region->width, region->height);
  } else {
    glDisable(GL_SCISSOR_TEST);
  }
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);
  glm::mat4 camHi = scene.camera.camHi, camLo = scene.camera.camLo;
  if (region) {
    // Points are clipped by their centres: the clip space reaches half the
    // largest point beyond the region, so a point whose disc reaches into
    // it still shows there.
    float largest = 0.0f;
    for (const PickPoints& points : list.points) largest = std::max(largest, points.pointSize);
    const int pad = static_cast<int>(std::ceil(largest / 2));
    const Region grown{region->left - pad, region->bottom - pad, region->width + 2 * pad, region->height + 2 * pad};
    const glm::mat4 narrowed = narrowing(grown, width, height);
    camHi = narrowed * camHi;
    camLo = narrowed * camLo;
    glViewport(grown.left, grown.bottom, grown.width, grown.height);
  } else {
    glViewport(0, 0, width, height);
  }
  const GLuint nothing[4] = {0xFFFFFFFFu, 0, 0, 0};
  glClearBufferuiv(GL_COLOR, 0, nothing);
  const GLfloat far = 1.0f;
  glClearBufferfv(GL_DEPTH, 0, &far);

  glUseProgram(meshProgram_);
  const stock::CuttingPlane& plane = scene.cuttingPlane;
  glUniform1i(gpu::uniformLocation(meshProgram_, "cuttingPlaneEnabled"), plane.enabled ? 1 : 0);
  glUniform3fv(gpu::uniformLocation(meshProgram_, "cuttingPlaneDirection"), 1, glm::value_ptr(plane.direction));
  glUniform3fv(gpu::uniformLocation(meshProgram_, "cuttingPlaneOrigin"), 1, glm::value_ptr(plane.origin));
  for (const PickPrimitives& mesh : list.meshes) {
    if (mesh.count <= 0) continue;
    setCamera(meshProgram_, mesh.model, camHi, camLo);
    glUniform1ui(gpu::uniformLocation(meshProgram_, "baseEntityId"), mesh.baseId);
    glUniform1f(gpu::uniformLocation(meshProgram_, "depthBias"), mesh.mode == GL_LINES ? kLineDepthBias : 0.0f);
    glBindVertexArray(mesh.vertexArray);
    if (!mesh.chunks) {
      glDrawArrays(mesh.mode, mesh.first, mesh.count);
      continue;
    }
    // Each run's ids continue the model's: its base moves on by the
    // primitives before it.
    const glm::mat4 toClip = (camHi + camLo) * mesh.model;
    const GLint perPrimitive = mesh.mode == GL_LINES ? 2 : 3;
    for (const PickChunk& chunk : *mesh.chunks) {
      const GLint first = std::max(chunk.first, mesh.first);
      const GLint end = std::min(chunk.first + chunk.count, mesh.first + mesh.count);
      if (end <= first || !mayShow(chunk, toClip)) continue;
      glUniform1ui(gpu::uniformLocation(meshProgram_, "baseEntityId"),
                   mesh.baseId + static_cast<uint32_t>((first - mesh.first) / perPrimitive));
      glDrawArrays(mesh.mode, first, end - first);
    }
  }
  glUseProgram(pointsProgram_);
  for (const PickPoints& points : list.points) {
    if (points.count <= 0) continue;
    setCamera(pointsProgram_, points.model, camHi, camLo);
    glUniform1i(gpu::uniformLocation(pointsProgram_, "showRapid"), points.rapids ? 1 : 0);
    glUniform1i(gpu::uniformLocation(pointsProgram_, "showCutting"), points.feeds ? 1 : 0);
    glPointSize(points.pointSize);
    glBindVertexArray(points.vertexArray);
    glDrawArrays(GL_POINTS, points.first, points.count);
  }
  return true;
}

PickHit Picking::pick(const PickList& list, const SceneDraw& scene, int width, int height, int cursorX,
                      int cursorY) {
  if (cursorX < 0 || cursorY < 0 || cursorX >= width || cursorY >= height) return {};
  // The window around the cursor, clipped to the target, in GL rows.
  const int glY = height - 1 - cursorY;
  PickWindow window;
  window.left = std::max(cursorX - kPickRadius, 0);
  window.bottom = std::max(glY - kPickRadius, 0);
  window.width = std::min(cursorX + kPickRadius, width - 1) - window.left + 1;
  window.height = std::min(glY + kPickRadius, height - 1) - window.bottom + 1;
  window.targetHeight = height;
  if (!drawIds(list, scene, width, height, Region{window.left, window.bottom, window.width, window.height})) return {};
  window.ids = target_.read(window.left, window.bottom, window.width, window.height);
  return choosePick(window, cursorX, cursorY);
}

void Picking::release() {
  target_.release();
  meshProgram_ = pointsProgram_ = 0;  // the window's programs go with the program cache
}

}  // namespace view
