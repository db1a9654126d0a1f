# tsln_add_movie(<target> SOURCE <description.txt> OUTPUT <movie>
#                [SCREENSHOT <picture.jpg> [SIZE <W>x<H>] [REST]] [DEPENDS <file>...])
#
# Builds a movie from its text description with tsmovie (under Wine) whenever the description, a PNG or
# WAV file beside it, a DEPENDS file or the tool changes. SCREENSHOT renders the movie's frame 1 (REST:
# the frame where it comes to rest when started as the program starts it) with the player's own
# renderer, at the movie's size or SIZE, and saves it as a JPEG (ImageMagick), so a skin's preview always
# shows its movie.
set(TSLN_WINE_TOOL ${CMAKE_CURRENT_LIST_DIR}/wine-tool.sh CACHE INTERNAL "runs a build tool under Wine")
set(TSLN_TOOL_PREFIX ${CMAKE_BINARY_DIR}/toolprefix CACHE INTERNAL "the Wine prefix of the build tools")
# The build tools run in a flavour the host executes: by default this build's own; scripts/lib.sh names
# the build of another flavour (already built) so that no build needs 32-bit execution.
set(TSLN_TOOL_BUILD "" CACHE PATH "the build folder whose tools this build runs (empty: its own)")
set(TSLN_TOOL_FLAVOUR "${TSLN_FLAVOUR}" CACHE STRING "the flavour of the tools' build")
if(TSLN_TOOL_BUILD)
  set(tsmovie_file ${TSLN_TOOL_BUILD}/tools/movie/tsmovie.exe)
  set(tsmovie_depends ${tsmovie_file})
else()
  set(tsmovie_file $<TARGET_FILE:tsmovie>)
  set(tsmovie_depends tsmovie)
endif()
# Seen by tsln_add_movie in every folder.
set(TSLN_TSMOVIE ${tsmovie_file} CACHE INTERNAL "the movie tool the build runs")
set(TSLN_TSMOVIE_DEPENDS ${tsmovie_depends} CACHE INTERNAL "what the movies depend on for the tool")

# The path as the Windows tool sees it (Wine maps / to Z:).
function(tsln_wine_path out path)
  string(REPLACE "/" "\\" windows "${path}")
  set(${out} "Z:${windows}" PARENT_SCOPE)
endfunction()

function(tsln_add_movie target)
  cmake_parse_arguments(M "REST" "SOURCE;OUTPUT;SCREENSHOT;SIZE" "DEPENDS" ${ARGN})
  if(NOT M_SOURCE OR NOT M_OUTPUT)
    message(FATAL_ERROR "tsln_add_movie(${target}): SOURCE and OUTPUT are required")
  endif()
  get_filename_component(folder "${M_SOURCE}" DIRECTORY)
  file(GLOB assets CONFIGURE_DEPENDS "${folder}/*.png" "${folder}/*.wav")
  tsln_wine_path(source_win "${M_SOURCE}")
  tsln_wine_path(output_win "${M_OUTPUT}")
  add_custom_command(OUTPUT "${M_OUTPUT}"
    COMMAND ${TSLN_WINE_TOOL} ${TSLN_TOOL_FLAVOUR} ${TSLN_TOOL_PREFIX} ${TSLN_TSMOVIE}
            build ${source_win} ${output_win}
    DEPENDS ${TSLN_TSMOVIE_DEPENDS} "${M_SOURCE}" ${assets} ${M_DEPENDS}
    COMMENT "Building movie ${M_OUTPUT}"
    VERBATIM)
  set(outputs "${M_OUTPUT}")
  if(M_SCREENSHOT)
    set(bitmap "${M_SCREENSHOT}.bmp")
    tsln_wine_path(bitmap_win "${bitmap}")
    set(options "")
    if(M_SIZE)
      list(APPEND options --size ${M_SIZE})
    endif()
    if(M_REST)
      list(APPEND options --rest)
    endif()
    add_custom_command(OUTPUT "${M_SCREENSHOT}"
      COMMAND ${TSLN_WINE_TOOL} ${TSLN_TOOL_FLAVOUR} ${TSLN_TOOL_PREFIX} ${TSLN_TSMOVIE}
              render ${output_win} ${bitmap_win}
              ${options}
      COMMAND convert "${bitmap}" -quality 92 -sampling-factor 2x2 -interlace none -strip "${M_SCREENSHOT}"
      COMMAND ${CMAKE_COMMAND} -E rm -f "${bitmap}"
      DEPENDS ${TSLN_TSMOVIE_DEPENDS} "${M_OUTPUT}"
      COMMENT "Rendering ${M_SCREENSHOT}"
      VERBATIM)
    list(APPEND outputs "${M_SCREENSHOT}")
  endif()
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
