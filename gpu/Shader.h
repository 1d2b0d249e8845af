#pragma once
// Base of all program wrappers. The program comes from the render program
// cache of the current window; destroying a wrapper leaves the cached program.
#include <string_view>

#include "gpu/GL.h"

namespace gpu {

class Shader {
 public:
  // Wraps a program that was built elsewhere (not owned).
  struct Adopt {
    GLuint program;
  };

  explicit Shader(std::string_view computeName);
  Shader(std::string_view vertexName, std::string_view fragmentName);
  Shader(std::string_view vertexName, std::string_view fragmentName, std::string_view geometryName);
  explicit Shader(Adopt adopt) : program_(adopt.program) {}
  virtual ~Shader() = default;

  Shader(const Shader&) = delete;
  Shader& operator=(const Shader&) = delete;

  GLuint program() const { return program_; }
  void use() const { glUseProgram(program_); }
  // Location of a plain-named uniform, looked up now; -1 when absent.
  GLint location(std::string_view plainName) const;

 protected:
  // Cached uniform locations of draw programs; compute programs keep -2.
  GLint cachedLocations_[3] = {-2, -2, -2};
  GLuint program_ = 0;
};

}  // namespace gpu
