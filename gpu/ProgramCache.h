#pragma once
// Linked programs cached per window (render registry) or per GL context
// (algorithm registry). Keys are FNV-1a hashes of the names exactly as the
// caller passed them: h(compute); h(vs) * 31 + h(fs); (h(vs) * 31 + h(fs)) * 31 + h(gs).
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "gpu/GL.h"
#include "gpu/ShaderRegistry.h"

namespace gpu {

uint64_t computeProgramKey(std::string_view compute);
uint64_t drawProgramKey(std::string_view vertex, std::string_view fragment);
uint64_t drawProgramKey(std::string_view vertex, std::string_view fragment, std::string_view geometry);

class ProgramCache {
 public:
  enum class Naming { FolderPath, BareName };

  ProgramCache(const ShaderTable& (*table)(), Naming naming, bool alwaysCheckStatus);
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  GLuint compute(std::string_view name);
  GLuint draw(std::string_view vertex, std::string_view fragment);
  GLuint draw(std::string_view vertex, std::string_view fragment, std::string_view geometry);

  // Deletes every program cached for the current context and forgets it.
  void deleteCurrent();

  size_t programCount() const;                       // over all windows or contexts
  uint64_t linkCount() const { return links_.load(); }  // programs built so far

 private:
  using ProgramMap = std::unordered_map<uint64_t, GLuint>;
  ProgramMap& currentPrograms();
  template <typename MakeStages>
  GLuint obtain(uint64_t key, MakeStages makeStages);
  std::string_view sourceOf(std::string_view name) const;

  const ShaderTable& (*table_)();
  Naming naming_;
  bool alwaysCheckStatus_;
  // The outer map is shared by all render threads; each thread touches only
  // the inner map of its own context, whose address survives rehashing.
  mutable std::mutex outerMutex_;
  std::unordered_map<uintptr_t, ProgramMap> programs_;
  std::atomic<uint64_t> links_{0};
};

ProgramCache& renderProgramCache();  // RenderShaderTable, "Shaders\\" paths, per window
ProgramCache& algoProgramCache();    // AlgoShaderTable, bare names, per context

// Render-registry programs of the current window.
GLuint computeProgram(std::string_view name);
GLuint drawProgram(std::string_view vertex, std::string_view fragment);
GLuint drawProgram(std::string_view vertex, std::string_view fragment, std::string_view geometry);
void deleteWindowPrograms();
// Algorithm-registry programs of the current context. A context dies with its
// window here, so its programs are dropped when the window is torn down.
void deleteContextPrograms();

}  // namespace gpu
