#version 430
// One point per cube record; its five words go on to the geometry stage.
layout(location = 0) in uint word0;
layout(location = 1) in uint word1;
layout(location = 2) in uint word2;
layout(location = 3) in uint word3;
layout(location = 4) in uint word4;

flat out uvec4 vCodesAndOwners;  // words 0-3
flat out uint vCell;             // word 4

void main() {
  vCodesAndOwners = uvec4(word0, word1, word2, word3);
  vCell = word4;
  gl_Position = vec4(0.0, 0.0, 0.0, 1.0);
}
