# The library is built as one object library per folder, each a layer that
# may use only the layers below it:
#
#   public headers (include/korvane), common, formats, machine, gpu, platform
#     < toolpath, tools, camera, ui < collision, stock < enhance < view < api
#
# A layer sees no other folder: its include path is a tree of its own that
# holds a link to its folder alone, and the trees of the layers it links
# come with them. A file that includes a header of a higher layer therefore
# does not compile.

set(KORVANE_LAYER_TREES ${CMAKE_BINARY_DIR}/layers)

# The headers nearly every layer file includes.
set(KORVANE_LAYER_PRECOMPILED
  <algorithm> <array> <atomic> <cmath> <cstdint> <functional> <memory> <mutex>
  <optional> <span> <string> <string_view> <unordered_map> <vector>
  <glm/vec3.hpp> <glm/geometric.hpp> <glm/mat4x4.hpp> <glm/gtc/matrix_transform.hpp>)

# korvane_layer(<folder> [SOURCES extra...] [LINKS targets...] [PRECOMPILED headers...] [INTERFACE])
# Makes korvane_<folder> from the folder's *.cpp files. PRECOMPILED adds
# headers of the layer's own to its precompiled set: one that nearly every
# file of the layer includes and that takes seconds to parse.
function(korvane_layer folder)
  cmake_parse_arguments(LAYER "INTERFACE" "" "SOURCES;LINKS;PRECOMPILED" ${ARGN})
  set(target korvane_${folder})
  set(tree ${KORVANE_LAYER_TREES}/${folder})
  file(MAKE_DIRECTORY ${tree})
  if(NOT EXISTS ${tree}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${tree}/${folder} SYMBOLIC)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(LAYER_INTERFACE)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${tree}>)
    target_link_libraries(${target} INTERFACE korvane_public ${LAYER_LINKS})
  else()
    add_library(${target} OBJECT ${sources} ${LAYER_SOURCES})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${tree}>)
    target_link_libraries(${target} PUBLIC korvane_public ${LAYER_LINKS})
    target_compile_definitions(${target} PUBLIC KORVANE_BUILDING_LIBRARY)
    set_property(GLOBAL APPEND PROPERTY KORVANE_LAYER_OBJECTS $<TARGET_OBJECTS:${target}>)
    # Most files of a layer parse the same standard and vector headers; a
    # precompiled copy per layer saves their parse in every file. A layer of
    # a few files would spend more making it than it saves.
    list(LENGTH sources count)
    if(count GREATER_EQUAL 6)
      target_precompile_headers(${target} PRIVATE ${KORVANE_LAYER_PRECOMPILED} ${LAYER_PRECOMPILED})
    endif()
  endif()
endfunction()

# The public headers sit below every layer.
add_library(korvane_public INTERFACE)
target_include_directories(korvane_public INTERFACE $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>)
