#pragma once
// Raw tables written by the build step that embeds Shaders/; each ends with a
// {nullptr, nullptr} entry. Code uses the registries of ShaderRegistry.h.

namespace gpu {

struct EmbeddedShader {
  const char* name;
  const char* source;
};

extern const EmbeddedShader kEmbeddedRenderShaders[];
extern const EmbeddedShader kEmbeddedAlgoShaders[];

}  // namespace gpu
