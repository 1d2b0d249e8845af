# Builds the two probes of the stock layer: headers of lower layers are
# found, the header of a higher layer is not.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target layer_probe_downward
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "a stock file could not include lower layers:\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target layer_probe_upward
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0 OR NOT out MATCHES "view/Render.h: No such file or directory")
  message(FATAL_ERROR "a stock file included a view header:\n${out}")
endif()
