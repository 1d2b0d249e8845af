# GLSL sources are compiled into the library as text. The embedding step
# also rewrites the names of plain uniforms to their encoded form, so the
# files under Shaders/ keep readable names.
file(GLOB KORVANE_RENDER_SHADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Shaders/render/*)
# Shaders include their own pieces from Shaders/include and the headers they
# share with the library from common/.
file(GLOB KORVANE_SHADER_INCLUDES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Shaders/include/*.glsl
     ${CMAKE_SOURCE_DIR}/common/ShaderContract.h ${CMAKE_SOURCE_DIR}/common/SweepBox.h)
file(GLOB KORVANE_ALGO_SHADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Shaders/algo/*)
set(KORVANE_SHADER_SOURCES ${CMAKE_BINARY_DIR}/generated/EmbeddedShaders.cpp)
add_custom_command(
  OUTPUT ${KORVANE_SHADER_SOURCES}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/embed_shaders.py
          --output ${KORVANE_SHADER_SOURCES}
          --render ${KORVANE_RENDER_SHADERS}
          --algo ${KORVANE_ALGO_SHADERS}
          --include-dir ${CMAKE_SOURCE_DIR}/Shaders/include
          --include-dir ${CMAKE_SOURCE_DIR}/common
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/embed_shaders.py ${KORVANE_RENDER_SHADERS} ${KORVANE_ALGO_SHADERS}
          ${KORVANE_SHADER_INCLUDES}
  COMMENT "Embedding GLSL sources"
  VERBATIM)
