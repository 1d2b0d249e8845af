# The OpenGL 4.3 core loader is generated at build time by Debian's glad
# generator; its output lives only in the build tree.
find_program(GLAD_EXECUTABLE glad REQUIRED)
set(KORVANE_GLAD_DIR ${CMAKE_BINARY_DIR}/glad)
add_custom_command(
  OUTPUT ${KORVANE_GLAD_DIR}/src/gl.c ${KORVANE_GLAD_DIR}/include/glad/gl.h
  COMMAND ${GLAD_EXECUTABLE} --api gl:core=4.3 --extensions= --out-path ${KORVANE_GLAD_DIR}
          --quiet --reproducible c
  COMMENT "Generating the OpenGL 4.3 core loader"
  VERBATIM)
add_library(korvane_glad OBJECT ${KORVANE_GLAD_DIR}/src/gl.c)
target_include_directories(korvane_glad PUBLIC $<BUILD_INTERFACE:${KORVANE_GLAD_DIR}/include>)
