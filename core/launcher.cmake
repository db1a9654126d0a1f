# The launcher: documents, web addresses, mail and help handed to the shell.
add_library(tsln_launcher STATIC ${CMAKE_CURRENT_LIST_DIR}/launcher.cpp)
target_link_libraries(tsln_launcher PUBLIC tsln_app shell32)
