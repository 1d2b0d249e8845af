# The interface icons are SVG sources of the project's own; the build draws
# them into the five atlas images with rsvg-convert and compiles the images
# and their rectangle tables into the library.
find_program(KORVANE_RSVG_CONVERT rsvg-convert REQUIRED)
file(GLOB KORVANE_ICON_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/icons/*.svg)
set(KORVANE_ICON_SOURCES ${CMAKE_BINARY_DIR}/generated/EmbeddedIcons.cpp)
add_custom_command(
  OUTPUT ${KORVANE_ICON_SOURCES}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/pack_icons.py
          --list ${CMAKE_SOURCE_DIR}/ui/Icons.h --icons ${CMAKE_SOURCE_DIR}/ui/icons
          --rsvg ${KORVANE_RSVG_CONVERT} --output ${KORVANE_ICON_SOURCES}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/pack_icons.py ${CMAKE_SOURCE_DIR}/ui/Icons.h ${KORVANE_ICON_FILES}
  COMMENT "Drawing and embedding interface icons"
  VERBATIM)
