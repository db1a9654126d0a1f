# The timer objects: XTimer and the table of running timers.
add_library(tsln_timers STATIC
  ${CMAKE_CURRENT_LIST_DIR}/xtimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xtimer_support.cpp)
target_link_libraries(tsln_timers PUBLIC tsln_app)
