# The settings store: every persistent setting and the registry layout of the program.
add_library(tsln_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/clsSetari.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_lists.cpp)
target_link_libraries(tsln_settings PUBLIC tsln_app)
