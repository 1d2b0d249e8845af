#include "view/ToolpathStage.h"

#include <algorithm>
#include <exception>

#include <glm/gtc/type_ptr.hpp>

#include "camera/DisplayFrame.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "toolpath/MovesInRectangle.h"
#include "toolpath/ToolpathColours.h"

namespace view {

namespace {

glm::vec4 faded(glm::vec4 colour, float alpha) { return {glm::vec3(colour), colour.a * alpha}; }

}  // namespace

ToolpathStage::~ToolpathStage() = default;

camera::SceneBox ToolpathStage::sceneBox() const {
  if (!lines_ || !source_) return {};
  const toolpath::Box bounds = source_->bounds();
  return camera::displayBox(bounds.min, bounds.max, job_.displayFrame());
}

void ToolpathStage::update(FrameState& frame) {
  const std::shared_ptr<const toolpath::Toolpath>& path = frame.played.toolpath;
  if (path != source_) {
    source_ = path;
    lines_.reset();
    selection_.clear();
    if (path && path->moveCount() > 0) {
      try {
        const std::shared_ptr<const machine::Kinematics> kinematics = job_.kinematics();
        lines_ = std::make_shared<toolpath::ToolpathLines>(
            toolpath::buildToolpathLines(*path, *kinematics, toolpath::vectorLengthFor(*path)));
      } catch (const std::exception&) {
        // No memory for the buffers: the toolpath is not drawn, the rest is.
      }
    }
    linesUploaded_ = false;
    windowMove_ = -2;
    frame.changed = true;
  }
  current_ = frame.played.at.move;
  const uint32_t mode = job_.toolpathMode.load();
  if (path && (current_ != windowMove_ || mode != windowMode_ || frame.played.moveLimits != windowLimits_)) {
    toolpath::WindowRequest request;
    request.current = current_;
    request.mode = mode;
    request.playbackFraction = frame.played.timeFraction;
    request.limits = frame.played.moveLimits;
    const toolpath::MoveWindow window = toolpath::visibleMoves(*path, *job_.kinematics(), request);
    if (!(window == window_) || mode == 2) frame.changed = true;
    window_ = window;
    windowMove_ = current_;
    windowMode_ = mode;
    windowLimits_ = frame.played.moveLimits;
  }
  const uint64_t revision = job_.toolpathDisplay.revision.load();
  if (revision != settingsRevision_) frame.changed = true;
  settingsRevision_ = revision;
}

void ToolpathStage::upload(Buffer& buffer, GLenum target, const void* data, size_t bytes) {
  if (!buffer.name) glGenBuffers(1, &buffer.name);
  glBindBuffer(target, buffer.name);
  if (bytes == buffer.bytes && bytes > 0) {
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
    ++uploads_.inPlace;
  } else {
    glBufferData(target, static_cast<GLsizeiptr>(bytes), bytes ? data : nullptr, GL_STATIC_DRAW);
    buffer.bytes = bytes;
    ++uploads_.full;
  }
}

void ToolpathStage::uploadLines() {
  const toolpath::ToolpathLines& lines = *lines_;
  if (!vertexArray_) glGenVertexArrays(1, &vertexArray_);
  glBindVertexArray(vertexArray_);
  upload(vertices_, GL_ARRAY_BUFFER, lines.vertices.data(), lines.vertices.size() * sizeof(toolpath::LineVertex));
  const GLsizei stride = sizeof(toolpath::LineVertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(12));
  glEnableVertexAttribArray(2);
  glVertexAttribIPointer(2, 1, GL_INT, stride, reinterpret_cast<const void*>(16));

  if (!vectorArray_) glGenVertexArrays(1, &vectorArray_);
  glBindVertexArray(vectorArray_);
  upload(vectors_, GL_ARRAY_BUFFER, lines.vectors.data(), lines.vectors.size() * sizeof(toolpath::VectorVertex));
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(toolpath::VectorVertex), nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, sizeof(toolpath::VectorVertex), reinterpret_cast<const void*>(12));
  glBindVertexArray(0);

  upload(values_, GL_SHADER_STORAGE_BUFFER, lines.values.data(), lines.values.size() * sizeof(float));
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  linesUploaded_ = true;
}

void ToolpathStage::setColours(GLuint program, const glm::vec4& cut, const glm::vec4& arc, const glm::vec4& rapid,
                               float alpha) {
  const toolpath::ToolpathDisplaySettings& settings = job_.toolpathDisplay;
  const glm::vec4 none(0.0f);
  const bool cutting = settings.showCutting.load(), rapids = settings.showRapid.load();
  const glm::vec4 c = cutting ? faded(cut, alpha) : none;
  const glm::vec4 a = cutting ? faded(arc, alpha) : none;
  const glm::vec4 r = rapids ? faded(rapid, alpha) : none;
  glUniform4fv(gpu::uniformLocation(program, "ColorCut"), 1, glm::value_ptr(c));
  glUniform4fv(gpu::uniformLocation(program, "ColorArc"), 1, glm::value_ptr(a));
  glUniform4fv(gpu::uniformLocation(program, "ColorRapid"), 1, glm::value_ptr(r));
}

// Each draw range clipped to the visible window; with the remaining-dimmed
// mode the part after the current move is drawn with halved alphas.
void ToolpathStage::drawRanges(GLuint program, GLenum primitive, int64_t current) {
  const toolpath::ToolpathLines& lines = *lines_;
  const toolpath::ToolpathDisplaySettings& settings = job_.toolpathDisplay;
  const toolpath::ToolpathColours& colours = colours_;
  const toolpath::ColourBy by = settings.colourBy.load();
  const std::vector<toolpath::DrawRange>* ranges = nullptr;
  std::vector<toolpath::DrawRange> whole;
  // Operations (by colour or to leave hidden ones out) when the toolpath
  // has them; tool runs; else the whole strip.
  if (by == toolpath::ColourBy::Tool) {
    ranges = &lines.toolRanges;
  } else if (source_->operationCount() > 0) {
    ranges = &lines.operationRanges;
  } else {
    whole.push_back(lines.rangeOfMoves(0, static_cast<int64_t>(lines.lastVertexOf.size()) - 1));
    ranges = &whole;
  }
  const toolpath::DrawRange shown = lines.rangeOfMoves(window_.first, window_.last);
  const bool dimAfter = windowMode_ == 2 && current >= 0;
  const uint32_t split = dimAfter ? lines.lastVertexOf[std::min<size_t>(current, lines.lastVertexOf.size() - 1)] : ~0u;
  const glm::vec4 arc = settings.highlightArcs.load() ? colours.arc : colours.cut;
  auto drawSpan = [&](uint32_t first, uint32_t last, const toolpath::DrawRange& range, float alpha) {
    if (last <= first && primitive != GL_POINTS) return;
    if (last < first) return;
    if (by == toolpath::ColourBy::Kind) {
      setColours(program, colours.cut, arc, colours.rapid, alpha);
    } else {
      const glm::vec4& own = colours.ranges[range.colour % toolpath::kRangeColours];
      setColours(program, own, own, own, alpha);
    }
    glDrawArrays(primitive, static_cast<GLint>(first), static_cast<GLsizei>(last - first + 1));
  };
  for (const toolpath::DrawRange& range : *ranges) {
    const uint32_t first = std::max(range.firstVertex, shown.firstVertex);
    const uint32_t last = std::min(range.lastVertex, shown.lastVertex);
    if (last < first) continue;
    if (split >= first && split < last) {
      drawSpan(first, split, range, 1.0f);
      drawSpan(split, last, range, 0.5f);
    } else {
      drawSpan(first, last, range, split < first ? 0.5f : 1.0f);
    }
  }
}

std::vector<std::pair<uint32_t, uint32_t>> ToolpathStage::shownSpans() const {
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  const toolpath::ToolpathLines& lines = *lines_;
  const toolpath::DrawRange shown = lines.rangeOfMoves(window_.first, window_.last);
  auto add = [&](uint32_t first, uint32_t last) {
    first = std::max(first, shown.firstVertex);
    last = std::min(last, shown.lastVertex);
    if (last >= first) spans.emplace_back(first, last);
  };
  // Hidden operations have no range.
  if (source_->operationCount() > 0) {
    for (const toolpath::DrawRange& range : lines.operationRanges) add(range.firstVertex, range.lastVertex);
  } else {
    add(shown.firstVertex, shown.lastVertex);
  }
  return spans;
}

void ToolpathStage::collectPickables(PickList& list) {
  if (!lines_ || lines_->vertices.empty() || !linesUploaded_ || !source_) return;
  const glm::mat4 model(glm::dmat4(job_.displayFrame()));
  const float size = sizes_.pointLarge * contentScale_;
  const bool rapids = job_.toolpathDisplay.showRapid.load(), feeds = job_.toolpathDisplay.showCutting.load();
  for (const auto& [first, last] : shownSpans())
    list.points.push_back(
        {vertexArray_, static_cast<GLint>(first), static_cast<GLsizei>(last - first + 1), model, size, rapids, feeds});
}

bool ToolpathStage::selectInRectangle(glm::dvec2 low, glm::dvec2 high, const glm::dmat4& projView) {
  selection_.clear();
  if (!lines_ || lines_->vertices.empty() || !source_) return false;
  const glm::dmat4 displayFrame(job_.displayFrame());
  toolpath::RectangleQuery query;
  query.toClip = projView * displayFrame;
  query.low = low;
  query.high = high;
  query.spans = shownSpans();
  query.rapids = job_.toolpathDisplay.showRapid.load();
  query.feeds = job_.toolpathDisplay.showCutting.load();
  selection_.choose(toolpath::movesInRectangle(lines_->vertices, query), *lines_, displayFrame);
  return !selection_.moves().empty();
}

// Colour by value: the feed moves' range, its middle in the good colour.
void ToolpathStage::useValueColours(const glm::mat4& model, const camera::Camera::DrawState& camera) {
  const toolpath::ToolpathColours& colours = colours_;
  const toolpath::ToolpathLines& lines = *lines_;
  glUseProgram(valuesProgram_);
  auto at = [this](const char* name) { return gpu::uniformLocation(valuesProgram_, name); };
  glUniformMatrix4fv(at("model"), 1, GL_FALSE, glm::value_ptr(model));
  glUniformMatrix4fv(at("cam_hi"), 1, GL_FALSE, glm::value_ptr(camera.camHi));
  glUniformMatrix4fv(at("cam_lo"), 1, GL_FALSE, glm::value_ptr(camera.camLo));
  glUniform4fv(at("minColor"), 1, glm::value_ptr(colours.valueLow));
  glUniform4fv(at("goodColor"), 1, glm::value_ptr(colours.valueGood));
  glUniform4fv(at("maxColor"), 1, glm::value_ptr(colours.valueHigh));
  glUniform1f(at("minValue"), lines.lowestValue);
  glUniform1f(at("midValue"), (lines.lowestValue + lines.highestValue) / 2);
  glUniform1f(at("maxValue"), lines.highestValue);
  glUniform1ui(at("showRapid"), job_.toolpathDisplay.showRapid.load() ? 1u : 0u);
  glUniform1ui(at("showCutting"), job_.toolpathDisplay.showCutting.load() ? 1u : 0u);
  glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, values_.name);
}

// A tool-axis segment at each move end of the window, shown where points would be.
void ToolpathStage::drawVectors() {
  const toolpath::ToolpathColours& colours = colours_;
  setColours(vectorsProgram_, colours.cut, colours.cut, colours.rapid, 1.0f);
  glUniform4fv(gpu::uniformLocation(vectorsProgram_, "ColorVector"), 1, glm::value_ptr(colours.vector));
  glBindVertexArray(vectorArray_);
  const GLint first = static_cast<GLint>(2 * window_.first);
  glDrawArrays(GL_LINES, first, static_cast<GLsizei>(2 * (window_.last + 1)) - first);
}

void ToolpathStage::draw(const SceneDraw& scene) {
  colours_ = job_.toolpathDisplay.colours();
  const camera::Camera::DrawState& camera = scene.camera;
  if (!lines_ || lines_->vertices.empty()) return;
  if (!linesUploaded_) uploadLines();
  if (!linesProgram_) linesProgram_ = gpu::drawProgram("Shaders\\toolpath.vert", "Shaders\\toolpath.frag");
  if (!pointsProgram_) pointsProgram_ = gpu::drawProgram("Shaders\\toolpath.vert", "Shaders\\toolpathPoints.frag");
  if (!valuesProgram_)
    valuesProgram_ = gpu::drawProgram("Shaders\\toolpathColorBy.vert", "Shaders\\toolpathColorBy.frag");
  if (!vectorsProgram_)
    vectorsProgram_ = gpu::drawProgram("Shaders\\toolpathVectors.vert", "Shaders\\toolpathVectors.frag");
  if (!linesProgram_ || !pointsProgram_ || !valuesProgram_ || !vectorsProgram_) return;
  const toolpath::ToolpathDisplaySettings& settings = job_.toolpathDisplay;
  const glm::mat4 model(glm::dmat4(job_.displayFrame()));
  const auto common = [&](GLuint program) {
    glUseProgram(program);
    glUniformMatrix4fv(gpu::uniformLocation(program, "model"), 1, GL_FALSE, glm::value_ptr(model));
    glUniformMatrix4fv(gpu::uniformLocation(program, "cam_hi"), 1, GL_FALSE, glm::value_ptr(camera.camHi));
    glUniformMatrix4fv(gpu::uniformLocation(program, "cam_lo"), 1, GL_FALSE, glm::value_ptr(camera.camLo));
  };
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const bool wide = settings.thickLines.load() || settings.colourBy.load() != toolpath::ColourBy::Kind;
  const float width = (wide ? sizes_.lineLarge : sizes_.line) * contentScale_;
  if (width != lineWidth_) {
    glLineWidth(width);
    lineWidth_ = width;
  }
  glBindVertexArray(vertexArray_);
  if (settings.colourByFeed.load()) {
    useValueColours(model, camera);
    drawRanges(valuesProgram_, GL_LINE_STRIP, current_);
  } else {
    common(linesProgram_);
    drawRanges(linesProgram_, GL_LINE_STRIP, current_);
  }
  if (window_.markCurrent && current_ >= 0) {
    // The move the tool is on, thick and in the point colour.
    common(linesProgram_);
    const toolpath::ToolpathColours& colours = colours_;
    setColours(linesProgram_, colours.point, colours.point, colours.point, 1.0f);
    const toolpath::DrawRange move = lines_->rangeOfMoves(current_, current_);
    glLineWidth(sizes_.lineLarge * 2 * contentScale_);
    glDrawArrays(GL_LINE_STRIP, static_cast<GLint>(move.firstVertex),
                 static_cast<GLsizei>(move.lastVertex - move.firstVertex + 1));
    glLineWidth(lineWidth_);
  }
  if (settings.points.load()) {
    common(pointsProgram_);
    glPointSize((settings.largePoints.load() ? sizes_.pointLarge : sizes_.point) * contentScale_);
    const toolpath::ToolpathColours& colours = colours_;
    glUniform4fv(gpu::uniformLocation(pointsProgram_, "ColorPoint"), 1, glm::value_ptr(colours.point));
    drawRanges(pointsProgram_, GL_POINTS, current_);
  }
  if (settings.toolVectors.load()) {
    common(vectorsProgram_);
    drawVectors();
  }
  glBindVertexArray(vertexArray_);
  selection_.draw(model, camera, colours_.selected, (sizes_.pointLarge + 3.0f) * contentScale_);
  glBindVertexArray(0);
  glDisable(GL_BLEND);
}

void ToolpathStage::setSizes(const Sizes& sizes) {
  auto take = [](float wanted, float& size) {
    if (wanted > 0.0f) size = wanted;
  };
  take(sizes.line, sizes_.line);
  take(sizes.lineLarge, sizes_.lineLarge);
  take(sizes.point, sizes_.point);
  take(sizes.pointLarge, sizes_.pointLarge);
}

void ToolpathStage::release() {
  for (Buffer* b : {&vertices_, &vectors_, &values_})
    if (b->name) {
      glDeleteBuffers(1, &b->name);
      *b = Buffer{};
    }
  if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
  if (vectorArray_) glDeleteVertexArrays(1, &vectorArray_);
  vertexArray_ = vectorArray_ = 0;
  // The window's programs go with the program cache.
  linesProgram_ = pointsProgram_ = valuesProgram_ = vectorsProgram_ = 0;
  selection_.release();
  linesUploaded_ = false;
  lineWidth_ = 0.0f;
}

}  // namespace view
