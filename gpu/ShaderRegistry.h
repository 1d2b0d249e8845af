#pragma once
// The two registries of compiled-in GLSL sources, keyed by bare file name.
// RenderShaderTable serves the viewport, stock, toolpath, tool, machine and
// collision programs; AlgoShaderTable the mesh and enhancement algorithms.
#include <string>
#include <string_view>
#include <unordered_map>

namespace gpu {

using ShaderTable = std::unordered_map<std::string, const char*>;

// Built once, before its first use.
const ShaderTable& RenderShaderTable();
// Built during library initialisation, destroyed at unload.
const ShaderTable& AlgoShaderTable();

// The source registered under name, or "" when the name is not there.
std::string_view lookupSource(const ShaderTable& table, std::string_view name);

// "Shaders\\solid.frag" and "Shaders/solid.frag" both name "solid.frag":
// everything up to the last backslash or slash is dropped.
std::string_view bareShaderName(std::string_view path);

}  // namespace gpu
