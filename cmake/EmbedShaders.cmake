# GLSL sources are compiled into the library as text. The embedding step
# also rewrites the names of plain uniforms to their encoded form, so the
# files under Shaders/ keep readable names.
file(GLOB KORVANE_RENDER_SHADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Shaders/render/*)
file(GLOB KORVANE_SHADER_INCLUDES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Shaders/include/*.glsl)
file(GLOB KORVANE_ALGO_SHADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Shaders/algo/*)
set(KORVANE_SHADER_SOURCES ${CMAKE_BINARY_DIR}/generated/EmbeddedShaders.cpp)
add_custom_command(
  OUTPUT ${KORVANE_SHADER_SOURCES}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/embed_shaders.py
          --output ${KORVANE_SHADER_SOURCES}
          --render ${KORVANE_RENDER_SHADERS}
          --algo ${KORVANE_ALGO_SHADERS}
          --include-dir ${CMAKE_SOURCE_DIR}/Shaders/include
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/embed_shaders.py ${KORVANE_RENDER_SHADERS} ${KORVANE_ALGO_SHADERS}
          ${KORVANE_SHADER_INCLUDES}
  COMMENT "Embedding GLSL sources"
  VERBATIM)
