#include "gpu/UniformName.h"

#include <algorithm>

#include "common/Fnv1a.h"

namespace gpu {

std::string toBase52(uint64_t value) {
  static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string out;
  do {
    out.push_back(kDigits[value % 52]);
    value /= 52;
  } while (value != 0);
  std::reverse(out.begin(), out.end());
  return out;
}

std::string encodeUniformName(std::string_view plainName) {
  uint64_t hash = common::fnv1a64(plainName);
  if (hash < 1000000) hash += 1000000;
  return toBase52(hash);
}

GLint uniformLocation(GLuint program, std::string_view plainName) {
  return glGetUniformLocation(program, encodeUniformName(plainName).c_str());
}

bool hasUniform(GLuint program, std::string_view plainName) {
  return uniformLocation(program, plainName) != -1;
}

}  // namespace gpu
