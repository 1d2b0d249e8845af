#include "stock/StockDrawing.h"

#include <algorithm>
#include <iterator>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "stock/SceneLighting.h"
#include "stock/TriangleTable.h"

namespace stock {

OwnerColours defaultOwnerColours() {
  OwnerColours colours;
  // A soft palette for the tools, by colour index.
  static const uint32_t kTools[] = {packRgba(86, 156, 214), packRgba(214, 157, 86), packRgba(120, 190, 110),
                                    packRgba(200, 110, 160), packRgba(150, 130, 210), packRgba(90, 190, 190),
                                    packRgba(210, 200, 100), packRgba(170, 120, 90)};
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = kTools[i % std::size(kTools)];
  colours[0] = packRgba(176, 182, 190);  // never cut
  colours[1] = packRgba(220, 60, 50);    // taken by rapid moves
  colours[2] = packRgba(176, 182, 190);  // never cut
  return colours;
}

StockDrawing::StockDrawing() {
  program_ = gpu::drawProgram("Shaders\\marchingCubes.vert", "Shaders\\marchingCubes.frag",
                              "Shaders\\marchingCubes.geom");
  solidProgram_ = gpu::drawProgram("Shaders\\solid.vert", "Shaders\\solid.frag");
  // The table as 16 x 256 bytes, 255 after the last edge.
  std::array<uint8_t, 256 * 16> bytes{};
  for (size_t c = 0; c < 256; ++c)
    for (size_t k = 0; k < 16; ++k) bytes[c * 16 + k] = static_cast<uint8_t>(triangleTable()[c][k] & 0xFF);
  glGenTextures(1, &triTable_);
  glBindTexture(GL_TEXTURE_2D, triTable_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, 16, 256, 0, GL_RED, GL_UNSIGNED_BYTE, bytes.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenVertexArrays(1, &vertexArray_);
}

StockDrawing::~StockDrawing() {
  if (triTable_) glDeleteTextures(1, &triTable_);
  if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
}

void StockDrawing::drawStockCubes(const SurfaceExtraction& surface, const GridFrame& frame, const camera::Camera::DrawState& camera,
                                  const glm::mat4& worldToDisplay, const StockLook& look,
                                  const std::atomic<bool>* stop) {
  if (!program_ || surface.cubeCount() == 0 || !surface.cubes()) return;
  glUseProgram(program_);
  auto at = [this](const char* name) { return gpu::uniformLocation(program_, name); };
  const glm::uvec3 cells = frame.nodes - 1u;
  glUniform3ui(at("aCellCount"), cells.x, cells.y, cells.z);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, triTable_);
  glUniform1i(at("triTable"), 0);
  const glm::mat4 model = worldToDisplay * frame.gridToWorld;
  glUniformMatrix4fv(at("model"), 1, GL_FALSE, glm::value_ptr(model));
  glUniform1uiv(at("Colors"), 256, look.colours.data());
  setLook(program_, camera, look);

  const bool culling = look.cullBackFaces && !look.cuttingPlane.enabled;
  if (culling) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
  }
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ARRAY_BUFFER, surface.cubes()->id());
  for (GLuint word = 0; word < 5; ++word) {
    glEnableVertexAttribArray(word);
    glVertexAttribIPointer(word, 1, GL_UNSIGNED_INT, 20, reinterpret_cast<const void*>(uintptr_t{word} * 4));
  }
  // Parts a software renderer shades in a few milliseconds; each is flushed,
  // so that such a renderer bins the triangles of one part at a time
  // rather than of the whole surface (about 60 MB for 250,000 cubes).
  constexpr uint64_t kCubesPerDraw = uint64_t{1} << 14;
  for (uint64_t first = 0; first < surface.cubeCount(); first += kCubesPerDraw) {
    if (stop && stop->load(std::memory_order_relaxed)) break;
    glDrawArrays(GL_POINTS, static_cast<GLint>(first),
                 static_cast<GLsizei>(std::min(kCubesPerDraw, surface.cubeCount() - first)));
    glFlush();
  }
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  if (culling) glDisable(GL_CULL_FACE);
}

void StockDrawing::setLook(GLuint program, const camera::Camera::DrawState& camera, const StockLook& look) {
  auto at = [program](const char* name) { return gpu::uniformLocation(program, name); };
  setSceneLighting(program, camera, look.lightDirection, look.cuttingPlane);
  const glm::vec4 uniform = look.uniformColour.value_or(glm::vec4(1.0f));
  glUniform4fv(at("uniformColor"), 1, glm::value_ptr(uniform));
  glUniform1ui(at("useUniformColor"), look.uniformColour ? 1u : 0u);
}

void StockDrawing::drawStockMesh(const SolidMesh& mesh, const glm::mat4& model, const camera::Camera::DrawState& camera,
                                 const StockLook& look) {
  if (!solidProgram_ || mesh.indexCount() == 0) return;
  glUseProgram(solidProgram_);
  auto at = [this](const char* name) { return gpu::uniformLocation(solidProgram_, name); };
  glUniformMatrix4fv(at("model"), 1, GL_FALSE, glm::value_ptr(model));
  glUniform4fv(at("lightColor"), 1, glm::value_ptr(look.lightColour));
  glUniform1i(at("HasVertexNormals"), look.vertexNormals ? 1 : 0);
  const CompareLook& compare = look.compare;
  glUniform1i(at("UseStockCompareColors"), compare.enabled ? 1 : 0);
  glUniform3fv(at("Colors"), 5, glm::value_ptr(compare.colours[0]));
  glUniform3i(at("StockCompareVisibility"), compare.visible.x, compare.visible.y, compare.visible.z);
  glUniform1i(at("UseBinaryColorThreshold"), compare.stepped ? 1 : 0);
  glUniform1f(at("Tolerance"), compare.tolerance);
  glUniform1f(at("StockOffset"), compare.offset);
  setLook(solidProgram_, camera, look);
  mesh.triangles().bindBase(2);
  glBindVertexArray(mesh.vertexArray());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indexCount()), GL_UNSIGNED_INT, nullptr);
  glBindVertexArray(0);
}

}  // namespace stock
