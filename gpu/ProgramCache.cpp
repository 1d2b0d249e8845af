#include "gpu/ProgramCache.h"

#include <GLFW/glfw3.h>

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

ProgramCache::ProgramMap& ProgramCache::currentPrograms() {
  auto context = reinterpret_cast<uintptr_t>(glfwGetCurrentContext());
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
  const bool check = alwaysCheckStatus_ || hasShaderErrorHook();
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
  auto context = reinterpret_cast<uintptr_t>(glfwGetCurrentContext());
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
