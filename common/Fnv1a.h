#pragma once
// FNV-1a 64-bit: the one string hash of the system (program-cache keys,
// uniform names, tool identifiers, geometry names, string-keyed tables).
#include <cstdint>
#include <string_view>

namespace common {

inline constexpr uint64_t kFnvOffsetBasis = 14695981039346656037ull;
inline constexpr uint64_t kFnvPrime = 1099511628211ull;

constexpr uint64_t fnv1a64(std::string_view bytes, uint64_t hash = kFnvOffsetBasis) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= kFnvPrime;
  }
  return hash;
}

}  // namespace common
