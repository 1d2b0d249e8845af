#include "gpu/ProgramCache.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

#include <vector>

#include "common/Fnv1a.h"
#include "gpu/ShaderCompiler.h"

namespace gpu {

uint64_t computeProgramKey(std::string_view compute) { return common::fnv1a64(compute); }

uint64_t drawProgramKey(std::string_view vertex, std::string_view fragment) {
  return common::fnv1a64(vertex) * 31 + common::fnv1a64(fragment);
}

uint64_t drawProgramKey(std::string_view vertex, std::string_view fragment, std::string_view geometry) {
  return drawProgramKey(vertex, fragment) * 31 + common::fnv1a64(geometry);
}

ProgramCache::ProgramCache(const ShaderTable& (*table)(), Naming naming, bool alwaysCheckStatus)
    : table_(table), naming_(naming), alwaysCheckStatus_(alwaysCheckStatus) {}

namespace {

// Programs belong to the context current on this thread, which here is the
// context of exactly one window. Its X11 window id names it: unlike the
// address of a window object, an id is not handed out again as soon as a
// window is freed.
uintptr_t currentContextKey() {
  GLFWwindow* window = glfwGetCurrentContext();
  return window ? static_cast<uintptr_t>(glfwGetX11Window(window)) : 0;
}

}  // namespace

ProgramCache::ProgramMap& ProgramCache::currentPrograms() {
  const uintptr_t context = currentContextKey();
  std::lock_guard lock(outerMutex_);
  return programs_[context];
}

std::string_view ProgramCache::sourceOf(std::string_view name) const {
  return lookupSource(table_(), naming_ == Naming::FolderPath ? bareShaderName(name) : name);
}

template <typename MakeStages>
GLuint ProgramCache::obtain(uint64_t key, MakeStages makeStages) {
  ProgramMap& programs = currentPrograms();
  if (auto it = programs.find(key); it != programs.end()) return it->second;
#ifdef KORVANE_DEBUG_LOG
  const bool check = true;  // the debug build prints every failed compile and link
#else
  const bool check = alwaysCheckStatus_ || hasShaderErrorHook();
#endif
  GLuint program = linkProgram(makeStages(), check);
  ++links_;
  programs.emplace(key, program);
  return program;
}

GLuint ProgramCache::compute(std::string_view name) {
  return obtain(computeProgramKey(name), [&] {
    return std::vector<StageSource>{{ShaderStage::Compute, sourceOf(name)}};
  });
}

GLuint ProgramCache::draw(std::string_view vertex, std::string_view fragment) {
  return obtain(drawProgramKey(vertex, fragment), [&] {
    return std::vector<StageSource>{{ShaderStage::Vertex, sourceOf(vertex)},
                                    {ShaderStage::Fragment, sourceOf(fragment)}};
  });
}

GLuint ProgramCache::draw(std::string_view vertex, std::string_view fragment, std::string_view geometry) {
  return obtain(drawProgramKey(vertex, fragment, geometry), [&] {
    return std::vector<StageSource>{{ShaderStage::Vertex, sourceOf(vertex)},
                                    {ShaderStage::Fragment, sourceOf(fragment)},
                                    {ShaderStage::Geometry, sourceOf(geometry)}};
  });
}

void ProgramCache::deleteCurrent() {
  const uintptr_t context = currentContextKey();
  ProgramMap doomed;
  {
    std::lock_guard lock(outerMutex_);
    auto it = programs_.find(context);
    if (it == programs_.end()) return;
    doomed = std::move(it->second);
    programs_.erase(it);
  }
  for (const auto& [key, program] : doomed) glDeleteProgram(program);
}

size_t ProgramCache::programCount() const {
  std::lock_guard lock(outerMutex_);
  size_t count = 0;
  for (const auto& [context, programs] : programs_) count += programs.size();
  return count;
}

ProgramCache& renderProgramCache() {
  // Render programs are linked without status queries unless an error hook
  // is installed to receive the texts.
  static ProgramCache cache(&RenderShaderTable, ProgramCache::Naming::FolderPath, false);
  return cache;
}

ProgramCache& algoProgramCache() {
  static ProgramCache cache(&AlgoShaderTable, ProgramCache::Naming::BareName, true);
  return cache;
}

GLuint computeProgram(std::string_view name) { return renderProgramCache().compute(name); }
GLuint drawProgram(std::string_view vertex, std::string_view fragment) {
  return renderProgramCache().draw(vertex, fragment);
}
GLuint drawProgram(std::string_view vertex, std::string_view fragment, std::string_view geometry) {
  return renderProgramCache().draw(vertex, fragment, geometry);
}
void deleteWindowPrograms() { renderProgramCache().deleteCurrent(); }
void deleteContextPrograms() { algoProgramCache().deleteCurrent(); }

}  // namespace gpu
