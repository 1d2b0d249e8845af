#include "view/ToolStage.h"

#include "view/EntityId.h"

#include <algorithm>
#include <cfloat>
#include <shared_mutex>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "toolpath/ToolAxis.h"
#include "toolpath/ToolpathColours.h"

namespace view {

namespace {

constexpr uint32_t kHolderTag = 3;
constexpr float kMarkerSize = 14.0f;
constexpr float kSectionLineWidth = 2.0f;
constexpr float kOutlineShift = 1e-3f;  // display units
// Texture units of the composite pass, clear of the interface's 0 and 1.
constexpr GLint kColourUnit = 2, kDepthUnit = 3;

uint32_t tagOf(uint32_t partKind) {
  switch (partKind) {
    case SIM_PART_SHOULDER: return 1;
    case SIM_PART_SHAFT:
    case SIM_PART_SHAFT_ALTERNATE: return 2;
    case SIM_PART_HOLDER: return kHolderTag;
    default: return 0;  // the cutting part and the extra profile
  }
}

void appendTagged(const tools::PackedMesh& from, uint32_t tag, tools::PackedMesh& to) {
  for (tools::PackedVertex v : from) {
    v.normal = (v.normal & 0x3FFFFFFFu) | tag << 30;
    to.push_back(v);
  }
}

// The tool in use at a move: the last tool change at or before it.
const tools::Tool* toolAt(const toolpath::Toolpath& path, int64_t move, const tools::ToolTable& table) {
  uint64_t hash = 0;
  for (const toolpath::NamedMove& change : path.toolChanges())
    if (static_cast<int64_t>(change.move) <= move) hash = change.nameHash;
  return hash ? table.toolByHash(hash) : nullptr;
}

}  // namespace

ToolStage::~ToolStage() = default;

void ToolStage::rebuildMesh(const tools::Tool& tool, bool withHolder) {
  rebuildMeshParts(tool, withHolder);
  meshMin_ = glm::vec3(FLT_MAX);
  meshMax_ = glm::vec3(-FLT_MAX);
  for (const tools::PackedVertex& v : mesh_) {
    meshMin_ = glm::min(meshMin_, glm::vec3(v.x, v.y, v.z));
    meshMax_ = glm::max(meshMax_, glm::vec3(v.x, v.y, v.z));
  }
  uploaded_ = false;
}

void ToolStage::rebuildMeshParts(const tools::Tool& tool, bool withHolder) {
  mesh_.clear();
  if (meshWithTool_)
    for (const tools::ToolPartShape& part : tool.parts) appendTagged(part.mesh, tagOf(part.kind), mesh_);
  if (withHolder && tool.holder) {
    // Holder models sit in the holder's frame: placed by its rotation and
    // origin from the tool's mount point.
    const glm::mat3 rotation = tool.holder->rotation;
    const glm::vec3 offset = glm::vec3(tool.mountPoint) + tool.holder->origin;
    for (tools::PackedVertex v : tool.holder->mesh) {
      const glm::vec3 p = rotation * glm::vec3(v.x, v.y, v.z) + offset;
      v.x = p.x, v.y = p.y, v.z = p.z;
      v.normal = (v.normal & 0x3FFFFFFFu) | kHolderTag << 30;
      mesh_.push_back(v);
    }
  }
}

void ToolStage::update(FrameState& frame) {
  const toolpath::ToolpathDisplaySettings& settings = job_.toolpathDisplay;
  const std::shared_ptr<const toolpath::Toolpath>& path = frame.played.toolpath;
  const toolpath::PositionAtFraction& at = frame.played.at;
  const bool wasShown = shown_;
  shown_ = false;
  if (!path || at.move < 0) {
    if (wasShown) frame.changed = true;
    return;
  }
  const bool withTool = settings.showTool.load(), withHolder = settings.showHolder.load();
  if (!withTool && !withHolder) {  // nothing of the tool, nor its marker
    if (wasShown) frame.changed = true;
    return;
  }
  {
    std::shared_lock tools(job_.toolTableLock, std::try_to_lock);
    if (!tools.owns_lock()) return;  // a table load: the tool comes back next frame
    const tools::ToolTable& table = job_.toolTable();
    const tools::Tool* tool = toolAt(*path, at.move, table);
    if (!tool) {
      if (wasShown) frame.changed = true;
      return;
    }
    if (tool->identifierHash != meshTool_ || table.revision() != meshRevision_ || withHolder != meshWithHolder_ ||
        withTool != meshWithTool_) {
      meshTool_ = tool->identifierHash;
      meshRevision_ = table.revision();
      meshWithHolder_ = withHolder;
      meshWithTool_ = withTool;
      rebuildMesh(*tool, withHolder);
      frame.changed = true;
    }
  }
  // The tool axis at the position: the rotary axes part way through the move.
  const toolpath::ToolpathMove move = path->move(at.move);
  const glm::dvec3 axes = glm::dvec3(move.axes[0], move.axes[1], move.axes[2]) - at.axesDelta * (1.0 - at.fraction);
  const glm::dvec3 tip = playback_.toolPose().tip;
  const glm::dmat4 placed = glm::dmat4(job_.displayFrame()) * glm::translate(glm::dmat4(1.0), tip) *
                            job_.kinematics()->toolTransform(axes) * glm::dmat4(toolpath::kToolToSpindle);
  const glm::mat4 placement(placed);
  if (placement != placement_ || !wasShown) frame.changed = true;
  placement_ = placement;
  tip_ = glm::vec3(glm::dmat3(job_.displayFrame()) * tip);
  shown_ = true;
}

bool ToolStage::programsReady() {
  if (!program_) program_ = gpu::drawProgram("Shaders\\tool.vert", "Shaders\\tool.frag");
  if (!markerProgram_) markerProgram_ = gpu::drawProgram("Shaders\\toolMarker.vert", "Shaders\\toolPoint.frag");
  if (!sectionProgram_)
    sectionProgram_ = gpu::drawProgram("Shaders\\toolCrossSection.vert", "Shaders\\toolPoint.frag",
                                       "Shaders\\toolCrossSection.geom");
  if (!maskProgram_) maskProgram_ = gpu::drawProgram("Shaders\\fullscreenQuad.vert", "Shaders\\toolMask.frag");
  if (!compositeProgram_)
    compositeProgram_ = gpu::drawProgram("Shaders\\fullscreenQuad.vert", "Shaders\\toolComposite.frag");
  return program_ && markerProgram_ && sectionProgram_ && maskProgram_ && compositeProgram_;
}

void ToolStage::collectPickables(PickList& list) {
  const auto triangles = static_cast<uint64_t>(mesh_.size() / 3);
  if (!shown_ || !uploaded_ || !vertexArray_ || triangles == 0 || !entity::toolFits(triangles)) return;
  // The picking pass reads positions at attribute 0, as the tool's drawing does.
  list.meshes.push_back({vertexArray_, GL_TRIANGLES, 0, static_cast<GLsizei>(3 * triangles), placement_,
                         entity::machineTriangleBase(entity::kToolModel)});
}

void ToolStage::upload() {
  if (!vertexArray_) glGenVertexArrays(1, &vertexArray_);
  if (!buffer_) glGenBuffers(1, &buffer_);
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh_.size() * sizeof(tools::PackedVertex)), mesh_.data(),
               GL_STATIC_DRAW);
  const GLsizei stride = sizeof(tools::PackedVertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribIPointer(1, 1, GL_UNSIGNED_INT, stride, reinterpret_cast<const void*>(12));
  glEnableVertexAttribArray(2);
  glVertexAttribIPointer(2, 1, GL_UNSIGNED_INT, stride, reinterpret_cast<const void*>(16));
  glEnableVertexAttribArray(3);
  glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(20));
  glBindVertexArray(0);
  uploaded_ = true;
}

void ToolStage::useCamera(GLuint program, const camera::Camera::DrawState& camera) const {
  glUseProgram(program);
  glUniformMatrix4fv(gpu::uniformLocation(program, "cam_hi"), 1, GL_FALSE, glm::value_ptr(camera.camHi));
  glUniformMatrix4fv(gpu::uniformLocation(program, "cam_lo"), 1, GL_FALSE, glm::value_ptr(camera.camLo));
}

void ToolStage::useCuttingPlane(GLuint program, const stock::CuttingPlane& plane) const {
  glUniform1i(gpu::uniformLocation(program, "cuttingPlaneEnabled"), plane.enabled ? 1 : 0);
  glUniform3fv(gpu::uniformLocation(program, "cuttingPlaneDirection"), 1, glm::value_ptr(plane.direction));
  glUniform3fv(gpu::uniformLocation(program, "cuttingPlaneOrigin"), 1, glm::value_ptr(plane.origin));
}

void ToolStage::drawParts(const SceneDraw& scene) {
  const camera::Camera::DrawState& camera = scene.camera;
  useCamera(program_, camera);
  auto at = [this](const char* name) { return gpu::uniformLocation(program_, name); };
  glUniformMatrix4fv(at("model"), 1, GL_FALSE, glm::value_ptr(placement_));
  glUniform3f(at("lightDir"), 0.3f, 0.8f, 0.5f);
  const glm::vec3 viewer = camera.perspective ? glm::vec3(camera.eye) : glm::vec3(-camera.direction);
  glUniform3fv(at("camPos"), 1, glm::value_ptr(viewer));
  glUniform1i(at("projectionView"), camera.perspective ? 0 : 1);
  useCuttingPlane(program_, scene.cuttingPlane);
  glUniform4f(at("lightColor"), 1.0f, 1.0f, 1.0f, 1.0f);
  const toolpath::ToolpathColours& colours = colours_;
  glUniform4fv(at("colorizeColor"), 1, glm::value_ptr(colours.toolTint));
  glUniform1f(at("colorizeFrac"), 0.7f);
  glUniform1ui(at("colorizeTypes"), tintedParts.load());
  glUniform1f(at("colorizeShininess"), 0.5f);
  glUniform1ui(at("useUniformColor"), 0u);
  glBindVertexArray(vertexArray_);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh_.size()));
  if (!scene.cuttingPlane.enabled) return;
  // The section's outline, over the cut faces it borders.
  useCamera(sectionProgram_, camera);
  glUniformMatrix4fv(gpu::uniformLocation(sectionProgram_, "model"), 1, GL_FALSE, glm::value_ptr(placement_));
  // A hair towards the cut side: mesh vertices lying on the plane (a tool
  // whose axis it holds) then count as kept, and their edges still cross.
  stock::CuttingPlane outlined = scene.cuttingPlane;
  outlined.origin -= outlined.direction * kOutlineShift;
  useCuttingPlane(sectionProgram_, outlined);
  glUniform4fv(gpu::uniformLocation(sectionProgram_, "markerColor"), 1, glm::value_ptr(colours.toolSection));
  glUniform1ui(gpu::uniformLocation(sectionProgram_, "plain"), 1u);
  // The toolpath sets its width only when it changes: leave it as found.
  GLfloat lineWidth = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &lineWidth);
  glLineWidth(kSectionLineWidth);
  glDepthFunc(GL_LEQUAL);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mesh_.size()));
  glDepthFunc(GL_LESS);
  glLineWidth(lineWidth);
}

std::optional<glm::ivec4> ToolStage::footprint(const camera::Camera::DrawState& camera, int width, int height) const {
  const glm::mat4 toClip = (camera.camHi + camera.camLo) * placement_;
  glm::vec2 low(FLT_MAX), high(-FLT_MAX);
  for (int corner = 0; corner < 8; ++corner) {
    const glm::vec3 p(corner & 1 ? meshMax_.x : meshMin_.x, corner & 2 ? meshMax_.y : meshMin_.y,
                      corner & 4 ? meshMax_.z : meshMin_.z);
    const glm::vec4 clip = toClip * glm::vec4(p, 1.0f);
    if (clip.w <= 0.0f) return glm::ivec4(0, 0, width, height);  // reaches behind the eye
    const glm::vec2 pixel = (glm::vec2(clip) / clip.w + 1.0f) * 0.5f * glm::vec2(width, height);
    low = glm::min(low, pixel);
    high = glm::max(high, pixel);
  }
  // A few pixels more for the section outline's width and rounding.
  const glm::ivec2 from = glm::max(glm::ivec2(glm::floor(low)) - 3, glm::ivec2(0));
  const glm::ivec2 to = glm::min(glm::ivec2(glm::ceil(high)) + 3, glm::ivec2(width, height));
  if (to.x <= from.x || to.y <= from.y) return std::nullopt;
  return glm::ivec4(from, to - from);
}

void ToolStage::drawOverlay(const SceneDraw& scene) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (!quadArray_) glGenVertexArrays(1, &quadArray_);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  if (!target_.bind(viewport[2], viewport[3])) {  // no target: straight into the scene
    drawParts(scene);
    return;
  }
  // Every pass keeps to the tool's footprint: the mask pass clears it to
  // transparent black at the far depth, the tool is drawn into it and the
  // composite reads it back. Texels outside hold older frames' tools that
  // nothing reads.
  const std::optional<glm::ivec4> area = footprint(scene.camera, viewport[2], viewport[3]);
  if (!area) {  // nothing of the tool in view
    target_.unbind();
    return;
  }
  glEnable(GL_SCISSOR_TEST);
  glScissor(area->x, area->y, area->z, area->w);
  glBindVertexArray(quadArray_);
  glUseProgram(maskProgram_);
  glDepthFunc(GL_ALWAYS);
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glDepthFunc(GL_LESS);
  drawParts(scene);
  target_.unbind();
  glScissor(viewport[0] + area->x, viewport[1] + area->y, area->z, area->w);
  // The tool into the scene at its own depth.
  glUseProgram(compositeProgram_);
  glActiveTexture(GL_TEXTURE0 + kColourUnit);
  glBindTexture(GL_TEXTURE_2D, target_.colour());
  glActiveTexture(GL_TEXTURE0 + kDepthUnit);
  glBindTexture(GL_TEXTURE_2D, target_.depth());
  glActiveTexture(GL_TEXTURE0);
  glUniform1i(gpu::uniformLocation(compositeProgram_, "toolColor"), kColourUnit);
  glUniform1i(gpu::uniformLocation(compositeProgram_, "toolDepth"), kDepthUnit);
  glBindVertexArray(quadArray_);
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glBindVertexArray(0);
  glDisable(GL_SCISSOR_TEST);
}

void ToolStage::drawMarker(const camera::Camera::DrawState& camera) {
  useCamera(markerProgram_, camera);
  glUniform3fv(gpu::uniformLocation(markerProgram_, "tip"), 1, glm::value_ptr(tip_));
  glUniform4fv(gpu::uniformLocation(markerProgram_, "markerColor"), 1,
               glm::value_ptr(colours_.point));
  glUniform1ui(gpu::uniformLocation(markerProgram_, "plain"), 0u);
  if (!markerArray_) glGenVertexArrays(1, &markerArray_);
  glBindVertexArray(markerArray_);
  glPointSize(kMarkerSize);
  glDisable(GL_DEPTH_TEST);  // on top of everything at the tip
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDrawArrays(GL_POINTS, 0, 1);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glBindVertexArray(0);
}

void ToolStage::draw(const SceneDraw& scene) {
  colours_ = job_.toolpathDisplay.colours();
  // Switched off since the last update (a picture taken right after): gone at once.
  const toolpath::ToolpathDisplaySettings& settings = job_.toolpathDisplay;
  if (!shown_ || (!settings.showTool.load() && !settings.showHolder.load())) return;
  if (!programsReady()) return;
  if (!uploaded_) upload();
  if (!mesh_.empty()) drawOverlay(scene);
  drawMarker(scene.camera);
}

void ToolStage::release() {
  if (buffer_) glDeleteBuffers(1, &buffer_);
  if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
  if (markerArray_) glDeleteVertexArrays(1, &markerArray_);
  if (quadArray_) glDeleteVertexArrays(1, &quadArray_);
  target_.release();
  buffer_ = vertexArray_ = markerArray_ = quadArray_ = 0;
  program_ = markerProgram_ = sectionProgram_ = maskProgram_ = compositeProgram_ = 0;  // the window's programs go with the program cache
  uploaded_ = false;
}

}  // namespace view
