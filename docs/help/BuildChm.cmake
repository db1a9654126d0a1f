# Runs chmcmd on a staged copy of the help project and installs the result.
# Fails when chmcmd fails, when it warns (a missing file or a broken link would
# otherwise ship silently) or when the result is not an HTML Help file.
#
# Inputs: CHMCMD, STAGE (folder holding the project), PROJECT_FILE, OUTPUT;
# optional PICTURES_DIR and PICTURES (comma-separated file names): the
# screenshots the pages show. Each one found is copied into the stage, where
# chmcmd's scan of the pages takes it in. A page whose screenshot is not there
# loses that picture's paragraph (<div class="shot"><img src="NAME" ...</div>,
# on one line) from its staged copy, and the build says so, instead of failing.

foreach(var CHMCMD STAGE PROJECT_FILE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildChm.cmake: ${var} is not set")
  endif()
endforeach()

if(DEFINED PICTURES AND NOT PICTURES STREQUAL "")
  string(REPLACE "," ";" pictures "${PICTURES}")
  file(GLOB pages ${STAGE}/*.htm)
  foreach(picture IN LISTS pictures)
    if(EXISTS ${PICTURES_DIR}/${picture})
      file(COPY ${PICTURES_DIR}/${picture} DESTINATION ${STAGE})
      continue()
    endif()
    string(REPLACE "." "\\." pattern "${picture}")
    foreach(page IN LISTS pages)
      file(READ ${page} text)
      string(REGEX REPLACE "<div class=\"shot\"><img src=\"${pattern}\"[^\n]*</div>\n" "" without "${text}")
      if(NOT without STREQUAL text)
        get_filename_component(page_name ${page} NAME)
        message(STATUS "docs/help: ${PICTURES_DIR}/${picture} is missing; ${page_name} is built without it")
        file(WRITE ${page} "${without}")
      endif()
    endforeach()
  endforeach()
endif()

set(compiled ${STAGE}/help.chm)
file(REMOVE ${compiled})

execute_process(
  COMMAND ${CHMCMD} ${PROJECT_FILE}
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)

if(NOT rc EQUAL 0)
  message(FATAL_ERROR "chmcmd failed (${rc}):\n${out}\n${err}")
endif()
if(out MATCHES "Warning:" OR err MATCHES "Warning:")
  message(FATAL_ERROR "chmcmd reported problems in the help project:\n${out}\n${err}")
endif()

if(NOT EXISTS ${compiled})
  message(FATAL_ERROR "chmcmd produced no ${compiled}")
endif()
file(SIZE ${compiled} size)
file(READ ${compiled} signature LIMIT 4 HEX)
if(size LESS 1024 OR NOT signature STREQUAL "49545346") # "ITSF"
  message(FATAL_ERROR "${compiled} is not a valid HTML Help file (${size} bytes)")
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
# A plain copy (not copy_if_different) so the output is newer than its sources.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E copy ${compiled} ${OUTPUT}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot copy ${compiled} to ${OUTPUT}")
endif()
