#include "gpu/Shader.h"

#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace gpu {

Shader::Shader(std::string_view computeName) : program_(computeProgram(computeName)) {}

Shader::Shader(std::string_view vertexName, std::string_view fragmentName)
    : program_(drawProgram(vertexName, fragmentName)) {}

Shader::Shader(std::string_view vertexName, std::string_view fragmentName, std::string_view geometryName)
    : program_(drawProgram(vertexName, fragmentName, geometryName)) {}

GLint Shader::location(std::string_view plainName) const { return uniformLocation(program_, plainName); }

}  // namespace gpu
