#include "ui/OrientationDrawing.h"

#include <cmath>
#include <vector>

#include <glm/gtc/type_ptr.hpp>
#include <glm/matrix.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace UI {
namespace {

struct CubeVertex {
  float position[3];
  float normal[3];
};

// The six faces of the cube from -1 to 1, two triangles each, wound
// counter-clockwise seen from outside.
std::vector<CubeVertex> cubeVertices() {
  std::vector<CubeVertex> vertices;
  for (int axis = 0; axis < 3; ++axis) {
    for (int side : {-1, 1}) {
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      auto corner = [&](float a, float b) {
        CubeVertex c{};
        c.position[axis] = static_cast<float>(side);
        c.position[u] = a;
        c.position[v] = b;
        c.normal[axis] = static_cast<float>(side);
        return c;
      };
      // (u, v, axis) is right-handed: counter-clockwise in u, v faces +axis.
      CubeVertex q[4] = {corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)};
      if (side < 0) std::swap(q[1], q[3]);
      for (int i : {0, 1, 2, 0, 2, 3}) vertices.push_back(q[i]);
    }
  }
  return vertices;
}

GLint at(GLuint program, const char* name) { return gpu::uniformLocation(program, name); }

}  // namespace

void OrientationDrawing::makeBuffers() {
  if (!cubeArray_) {
    const std::vector<CubeVertex> cube = cubeVertices();
    glGenVertexArrays(1, &cubeArray_);
    glGenBuffers(1, &cubeBuffer_);
    glBindVertexArray(cubeArray_);
    glBindBuffer(GL_ARRAY_BUFFER, cubeBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(cube.size() * sizeof(CubeVertex)), cube.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(CubeVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(CubeVertex), reinterpret_cast<const void*>(12));
    glGenVertexArrays(1, &axesArray_);
    glGenBuffers(1, &axesBuffer_);
    glBindVertexArray(axesArray_);
    glBindBuffer(GL_ARRAY_BUFFER, axesBuffer_);
    glBufferData(GL_ARRAY_BUFFER, 6 * 7 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 7 * sizeof(float), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, 7 * sizeof(float), reinterpret_cast<const void*>(12));
    glBindVertexArray(0);
  }
}

void OrientationDrawing::draw(const Gnomon& gnomon, const Theme& theme, int framebufferWidth, int framebufferHeight) {
  if (!gnomon.shown()) return;
  const Gnomon::Settings& settings = gnomon.settings();
  if (!cubeProgram_) cubeProgram_ = gpu::drawProgram("Shaders\\viewCube.vert", "Shaders\\viewCube.frag");
  if (!axesProgram_) axesProgram_ = gpu::drawProgram("Shaders\\Gnomon.vert", "Shaders\\basic.frag");
  if (!cubeProgram_ || !axesProgram_) return;
  makeBuffers();

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLboolean depth = glIsEnabled(GL_DEPTH_TEST), cull = glIsEnabled(GL_CULL_FACE), blend = glIsEnabled(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  auto square = [&](const Rect& r) {
    glViewport(static_cast<GLint>(std::lround(r.x * framebufferWidth)), static_cast<GLint>(std::lround(r.y * framebufferHeight)),
               static_cast<GLsizei>(std::lround(r.w * framebufferWidth)),
               static_cast<GLsizei>(std::lround(r.h * framebufferHeight)));
  };
  const glm::mat3& rotation = gnomon.viewRotation();

  if (settings.cube) {
    // Convex: the faces turned away are culled, no depth needed.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    square(gnomon.getRect());
    glUseProgram(cubeProgram_);
    glUniformMatrix3fv(at(cubeProgram_, "rotation"), 1, GL_FALSE, glm::value_ptr(rotation));
    glUniform1f(at(cubeProgram_, "scale"), Gnomon::kCubeScale);
    glUniform1f(at(cubeProgram_, "border"), kCubeBorder);
    const CubeElement& hovered = gnomon.hovered();
    glUniform3i(at(cubeProgram_, "hoveredSign"), hovered.sign.x, hovered.sign.y, hovered.sign.z);
    glUniform1i(at(cubeProgram_, "hoveredCount"), hovered.count);
    glUniform4fv(at(cubeProgram_, "baseColor"), 1, theme.viewCube.data());
    glUniform4fv(at(cubeProgram_, "highlightColor"), 1, theme.viewCubeHover.data());
    // The light comes from over the viewer's right shoulder, in the cube's frame.
    const glm::vec3 light = glm::transpose(rotation) * glm::vec3(0.3f, 0.5f, 1.0f);
    glUniform3fv(at(cubeProgram_, "lightDir"), 1, glm::value_ptr(light));
    glBindVertexArray(cubeArray_);
    glDrawArrays(GL_TRIANGLES, 0, 36);
    if (!cull) glDisable(GL_CULL_FACE);
  }

  if (settings.gnomon) {
    const std::array<Colour, 3> colours{theme.axisX, theme.axisY, theme.axisZ};
    std::vector<float> lines;
    for (glm::length_t a = 0; a < 3; ++a) {
      if (!settings.axes[static_cast<size_t>(a)]) continue;
      const glm::vec3 end = gnomon.hostAxes()[a] * Gnomon::kAxisLength;
      const Colour& c = colours[static_cast<size_t>(a)];
      lines.insert(lines.end(), {0, 0, 0, c[0], c[1], c[2], c[3], end.x, end.y, end.z, c[0], c[1], c[2], c[3]});
    }
    if (!lines.empty()) {
      glBindBuffer(GL_ARRAY_BUFFER, axesBuffer_);
      glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(lines.size() * sizeof(float)), lines.data());
      glBindBuffer(GL_ARRAY_BUFFER, 0);
      square(gnomon.axesRect());
      glUseProgram(axesProgram_);
      glUniformMatrix3fv(at(axesProgram_, "rotation"), 1, GL_FALSE, glm::value_ptr(rotation));
      glUniform1f(at(axesProgram_, "scale"), Gnomon::kAxesScale);
      glBindVertexArray(axesArray_);
      glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines.size() / 7));
    }
  }

  glBindVertexArray(0);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  if (depth) glEnable(GL_DEPTH_TEST);
  if (!blend) glDisable(GL_BLEND);
}

void OrientationDrawing::release() {
  if (cubeBuffer_) glDeleteBuffers(1, &cubeBuffer_);
  if (axesBuffer_) glDeleteBuffers(1, &axesBuffer_);
  if (cubeArray_) glDeleteVertexArrays(1, &cubeArray_);
  if (axesArray_) glDeleteVertexArrays(1, &axesArray_);
  cubeBuffer_ = axesBuffer_ = cubeArray_ = axesArray_ = 0;
  cubeProgram_ = axesProgram_ = 0;  // the window's programs go with the program cache
}

}  // namespace UI
