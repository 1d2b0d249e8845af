#include "gpu/BaseToolShader.h"

#include <algorithm>

#include "gpu/UniformName.h"

namespace gpu {

BaseToolShader::BaseToolShader(std::string_view computeName) : Shader(computeName) { lookUpLocations(); }

BaseToolShader::BaseToolShader(Adopt adopt) : Shader(adopt) { lookUpLocations(); }

void BaseToolShader::lookUpLocations() {
  use();
  GLint size[3] = {0, 0, 0};
  glGetProgramiv(program_, GL_COMPUTE_WORK_GROUP_SIZE, size);
  groupSize_ = static_cast<uint32_t>(std::max(size[0], 1));
  auto at = [this](std::string_view name) { return uniformLocation(program_, name); };
  ToolUniformLocations& l = locations_;
  l.noOfCells = at("NoOfCells");
  l.boolPointsSize = at("BoolPointsSize");
  l.invocationChunkOffset = at("InvocationChunkOffset");
  l.invocationChunkSize = at("InvocationChunkSize");
  l.invocationChunkEnd = at("InvocationChunkEnd");
  l.invocationChunkExtraEnd = at("InvocationChunkExtraEnd");
  l.extraElemType = at("ExtraElemType");
  l.extraElemStart = at("ExtraElemStart");
  l.extraElemEnd = at("ExtraElemEnd");
  l.extraElemToolDirFrom = at("ExtraElemToolDirFrom");
  l.extraElemToolDirTo = at("ExtraElemToolDirTo");
  l.elementCount = at("ElementCount");
  l.toolpathToSolid = at("ToolpathToSolid");
  l.toolScale = at("ToolScale");
  l.extraElemToolDirFlip = at("ExtraElemToolDirFlip");
  l.applyRapidMoves = at("ApplyRapidMoves");
  l.reportRapidMoves = at("ReportRapidMoves");
  l.stoppedSpindleMode = at("StoppedSpindleMode");
  l.reportSpindleStoppedMoves = at("ReportSpindleStoppedMoves");
  l.cutEveryRay = at("CutEveryRay");
}

void ToolShaderParams::apply(const BaseToolShader& shader) const {
  const ToolUniformLocations& l = shader.locations();
  glUniform1ui(l.invocationChunkSize, invocationsPerChunk);
  glUniform3ui(l.noOfCells, nodeCounts[0], nodeCounts[1], nodeCounts[2]);
  glUniform3ui(l.boolPointsSize, paddedNodeCounts[0], paddedNodeCounts[1], paddedNodeCounts[2]);
  glUniform1ui(l.elementCount, elementCount);
  glUniformMatrix4fv(l.toolpathToSolid, 1, GL_FALSE, toolpathToGrid.data());
  glUniform1f(l.toolScale, toolScale);
  if (l.applyRapidMoves != -1) glUniform1ui(l.applyRapidMoves, applyRapidMoves ? 1u : 0u);
  if (l.reportRapidMoves != -1) glUniform1ui(l.reportRapidMoves, reportRapidMoves ? 1u : 0u);
  if (l.stoppedSpindleMode != -1) glUniform1ui(l.stoppedSpindleMode, stoppedSpindleMode);
  if (l.reportSpindleStoppedMoves != -1)
    glUniform1ui(l.reportSpindleStoppedMoves, reportSpindleStoppedMoves ? 1u : 0u);
  if (l.cutEveryRay != -1) glUniform1ui(l.cutEveryRay, cutEveryRay ? 1u : 0u);
}

}  // namespace gpu
