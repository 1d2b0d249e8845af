#pragma once
// The one include for OpenGL declarations: the generated 4.3 core loader.
#include <glad/gl.h>
