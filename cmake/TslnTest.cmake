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

# tsln_shell_stand_ins(test): logging stand-ins for the desktop's openers (xdg-open, xdg-email), which
# Wine's browser bridge calls for web and mail links: each appends its name and arguments (tab-separated)
# to the test's own log, named by TSLN_SHELL_LOG, instead of opening anything.
function(tsln_shell_stand_ins test)
  set(stub_dir ${CMAKE_CURRENT_BINARY_DIR}/shell-stubs)
  set(shell_log ${CMAKE_CURRENT_BINARY_DIR}/shell.log)
  foreach(opener xdg-open xdg-email)
    file(WRITE ${stub_dir}/${opener}
"#!/bin/sh
# Stand-in for ${opener} in ${test}: records the call, opens nothing.
{ printf '%s' '${opener}'; for arg in \"$@\"; do printf '\\t%s' \"$arg\"; done; printf '\\n'; } >> '${shell_log}'
exit 0
")
    file(CHMOD ${stub_dir}/${opener} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
         GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
  # Wine passes its Unix environment on to the processes it starts, so the stand-ins must be on PATH
  # before wine itself starts.
  set_tests_properties(${test} PROPERTIES
    ENVIRONMENT_MODIFICATION "PATH=path_list_prepend:${stub_dir};TSLN_SHELL_LOG=set:${shell_log}")
endfunction()
