#pragma once
// Uniform names as stored in the embedded sources: FNV-1a 64 of the plain
// name, raised by 1,000,000 when below it, written in base 52 (a-z, A-Z),
// most significant digit first. The embedding step applies the same rule.
#include <cstdint>
#include <string>
#include <string_view>

#include "gpu/GL.h"

namespace gpu {

std::string toBase52(uint64_t value);
std::string encodeUniformName(std::string_view plainName);

// Location of a plain-named uniform in program; -1 when it has none.
GLint uniformLocation(GLuint program, std::string_view plainName);
bool hasUniform(GLuint program, std::string_view plainName);

}  // namespace gpu
