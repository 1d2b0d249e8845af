# The interface texts of every built-in language are compiled into the
# library; the embedding step checks that each language has every entry.
file(GLOB KORVANE_STRING_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/strings/*.txt)
set(KORVANE_STRING_SOURCES ${CMAKE_BINARY_DIR}/generated/EmbeddedStrings.cpp)
add_custom_command(
  OUTPUT ${KORVANE_STRING_SOURCES}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/embed_strings.py
          --output ${KORVANE_STRING_SOURCES} ${KORVANE_STRING_FILES}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/embed_strings.py ${KORVANE_STRING_FILES}
  COMMENT "Embedding interface texts"
  VERBATIM)
