# Installs the built libraries into a scratch prefix, then builds small hosts
# against them once through find_package(Korvane) and once through pkg-config.
file(REMOVE_RECURSE ${WORK_DIR})
set(PREFIX ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(path include/korvane/Korvane.h lib/cmake/Korvane/KorvaneConfig.cmake lib/pkgconfig/korvane.pc
             include/korvane/KorvaneGCode.h lib/pkgconfig/korvane-gcode.pc)
  file(GLOB_RECURSE found ${PREFIX}/*/${path} ${PREFIX}/${path})
  if(NOT found)
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

foreach(mode package pkgconfig)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/${mode}
            -DCMAKE_PREFIX_PATH=${PREFIX} -DFIND_MODE=${mode}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "configuring the ${mode} consumer failed:\n${out}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/${mode}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "building the ${mode} consumer failed:\n${out}")
  endif()
  foreach(consumer consumer gcode_consumer)
    execute_process(COMMAND ${WORK_DIR}/${mode}/${consumer} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "the ${mode} ${consumer} failed:\n${out}")
    endif()
  endforeach()
endforeach()
