# doctest-based test executables, run under Wine by ctest.
set(TSLN_DOCTEST_INCLUDE /usr/include/doctest)

# The dist folder as Wine sees it (Z: maps the Unix root), escaped for a C string literal.
string(REPLACE "/" "\\\\" TSLN_DIST_WIN "Z:${TSLN_DIST}")

# tsln_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l])
function(tsln_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/doctest_main.cpp)
  target_include_directories(${name} PRIVATE ${TSLN_DOCTEST_INCLUDE} ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE DOCTEST_CONFIG_NO_MULTITHREADING
                                             TSLN_DIST_DIR="${TSLN_DIST_WIN}")
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
