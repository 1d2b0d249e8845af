#include "gpu/ShaderCompiler.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace gpu {
namespace {

constexpr GLsizei kMaxLogBytes = 1024;
constexpr const char* kErrorTrailer = "\n -- --------------------------------------------------- -- ";

std::mutex gHookMutex;
ShaderErrorHook gHook;
std::atomic<ComputeVariant> gComputeVariant{ComputeVariant::ByRenderer};
constexpr std::string_view kEmulatedBarriers = "#define GPU_BARRIERS_EMULATED\n";

void report(const std::string& text) {
  std::lock_guard lock(gHookMutex);
  if (gHook) {
    gHook(text);
    return;
  }
#ifdef KORVANE_DEBUG_LOG
  std::fprintf(stderr, "korvane: %s\n", text.c_str());
#endif
}

GLenum glStage(ShaderStage stage) {
  switch (stage) {
    case ShaderStage::Vertex: return GL_VERTEX_SHADER;
    case ShaderStage::Fragment: return GL_FRAGMENT_SHADER;
    case ShaderStage::Geometry: return GL_GEOMETRY_SHADER;
    case ShaderStage::Compute: return GL_COMPUTE_SHADER;
  }
  return GL_COMPUTE_SHADER;
}

GLuint compileStage(const StageSource& stage, bool checkStatus) {
  GLuint shader = glCreateShader(glStage(stage.stage));
  // The define goes right after the version line, which must come first.
  std::string_view head = stage.source.substr(0, 0), body = stage.source;
  const bool emulated = stage.stage == ShaderStage::Compute &&
                        gComputeVariant.load() == ComputeVariant::ByRenderer && rendererEmulatesBarriers();
  if (emulated && body.starts_with("#version")) {
    const size_t lineEnd = body.find('\n');
    head = body.substr(0, lineEnd == std::string_view::npos ? body.size() : lineEnd + 1);
    body.remove_prefix(head.size());
  }
  const GLchar* texts[3] = {head.data(), kEmulatedBarriers.data(), body.data()};
  const GLint lengths[3] = {static_cast<GLint>(head.size()), emulated ? static_cast<GLint>(kEmulatedBarriers.size()) : 0,
                            static_cast<GLint>(body.size())};
  glShaderSource(shader, 3, texts, lengths);
  glCompileShader(shader);
  if (checkStatus) {
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
      char log[kMaxLogBytes] = {};
      glGetShaderInfoLog(shader, kMaxLogBytes, nullptr, log);
      report(composeCompileError(stage.stage, log));
    }
  }
  return shader;
}

}  // namespace

void setComputeVariant(ComputeVariant variant) { gComputeVariant = variant; }

bool rendererEmulatesBarriers() {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (!renderer) return false;
  for (const char* software : {"llvmpipe", "softpipe", "SwiftShader"})
    if (std::strstr(renderer, software)) return true;
  return false;
}

const char* stageName(ShaderStage stage) {
  switch (stage) {
    case ShaderStage::Vertex: return "VERTEX";
    case ShaderStage::Fragment: return "FRAGMENT";
    case ShaderStage::Geometry: return "GEOMETRY";
    case ShaderStage::Compute: return "COMPUTE";
  }
  return "COMPUTE";
}

std::string composeCompileError(ShaderStage stage, std::string_view log) {
  std::string text = "ERROR::SHADER_COMPILATION_ERROR of type: ";
  text += stageName(stage);
  text += "\n";
  text += log;
  text += kErrorTrailer;
  return text;
}

std::string composeLinkError(std::string_view log) {
  std::string text = "ERROR::PROGRAM_LINKING_ERROR of type: PROGRAM\n";
  text += log;
  text += kErrorTrailer;
  return text;
}

void setShaderErrorHook(ShaderErrorHook hook) {
  std::lock_guard lock(gHookMutex);
  gHook = std::move(hook);
}

bool hasShaderErrorHook() {
  std::lock_guard lock(gHookMutex);
  return static_cast<bool>(gHook);
}

GLuint linkProgram(const std::vector<StageSource>& stages, bool checkStatus) {
  GLuint program = glCreateProgram();
  std::vector<GLuint> shaders;
  shaders.reserve(stages.size());
  for (const StageSource& stage : stages) {
    shaders.push_back(compileStage(stage, checkStatus));
    glAttachShader(program, shaders.back());
  }
  glLinkProgram(program);
  if (checkStatus) {
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      char log[kMaxLogBytes] = {};
      glGetProgramInfoLog(program, kMaxLogBytes, nullptr, log);
      report(composeLinkError(log));
    }
  }
  for (GLuint shader : shaders) {
    glDetachShader(program, shader);
    glDeleteShader(shader);
  }
  return program;
}

}  // namespace gpu
