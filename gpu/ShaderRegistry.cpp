#include "gpu/ShaderRegistry.h"

#include "gpu/EmbeddedShaders.h"

namespace gpu {
namespace {

ShaderTable buildTable(const EmbeddedShader* entries) {
  ShaderTable table;
  for (const EmbeddedShader* e = entries; e->name; ++e) table.emplace(e->name, e->source);
  return table;
}

const ShaderTable gAlgoShaderTable = buildTable(kEmbeddedAlgoShaders);

}  // namespace

const ShaderTable& RenderShaderTable() {
  static const ShaderTable table = buildTable(kEmbeddedRenderShaders);
  return table;
}

const ShaderTable& AlgoShaderTable() { return gAlgoShaderTable; }

std::string_view lookupSource(const ShaderTable& table, std::string_view name) {
  auto it = table.find(std::string(name));
  return it == table.end() ? std::string_view("") : std::string_view(it->second);
}

std::string_view bareShaderName(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace gpu
