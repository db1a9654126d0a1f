# The program's libraries from the bottom up, each with the folder it is built from. A library may link
# and include only those before it; pixels (plain code the player component links too) and core link and
# include nothing else of ours. A library that does not exist yet is simply not checked.
#
# Included by the top-level CMakeLists (tsln_check_layers checks the link graph at configure time and adds
# the build step that checks the includes), or run as a script:
#   cmake -DTSLN_LAYER_ROOT=<source tree> -P CheckLayers.cmake    checks the includes below that tree
cmake_policy(VERSION 3.20)

set(TSLN_LAYERS
  tsln_pixels=pixels
  tsln_core=core
  tsln_controls=ui/controls
  tsln_shellutil=shellutil
  tsln_visualstyles=visualstyles
  tsln_timers=rotation/timers
  tsln_effects=effects
  tsln_skins=skins
  tsln_ui=ui
  tsln_rotation=rotation
  tsln_main=ui/main)

# Folders of ours that are no library of the program (components, tools, tests): pixels and core include
# none of them either.
set(TSLN_OTHER_FOLDERS movie unzip tools tests bench)

set(TSLN_LAYERS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

# The position (from 0) of a library in the order, -1 when it is none of them.
function(tsln_layer_of_target target out)
  set(index 0)
  foreach(entry IN LISTS TSLN_LAYERS)
    string(REGEX REPLACE "=.*" "" name "${entry}")
    if(name STREQUAL target)
      set(${out} ${index} PARENT_SCOPE)
      return()
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

# The position of the library whose folder holds `path` (relative to the source tree; the deepest folder
# wins, so "rotation/timers/x.h" is the timers'), -1 when none does.
function(tsln_layer_of_path path out)
  set(index 0)
  set(best -1)
  set(best_length 0)
  foreach(entry IN LISTS TSLN_LAYERS)
    string(REGEX REPLACE "^[^=]*=" "" folder "${entry}")
    string(LENGTH "${folder}/" length)
    string(SUBSTRING "${path}" 0 ${length} head)
    if(head STREQUAL "${folder}/" AND length GREATER best_length)
      set(best ${index})
      set(best_length ${length})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${out} ${best} PARENT_SCOPE)
endfunction()

# Stops with one line per problem, when there is any.
function(tsln_refuse_layers verb problems)
  if(problems)
    list(REMOVE_DUPLICATES problems)
    string(REPLACE ";" "\n  " text "${problems}")
    message(FATAL_ERROR "Libraries must ${verb} only the ones below them:\n  ${text}")
  endif()
endfunction()

# Fails configuring when a library of the order links one above it (directly; if no edge points up, no
# chain does).
function(tsln_check_layers)
  set(problems "")
  tsln_layer_of_target(tsln_core core)
  foreach(entry IN LISTS TSLN_LAYERS)
    string(REGEX REPLACE "=.*" "" target "${entry}")
    if(NOT TARGET ${target})
      continue()
    endif()
    tsln_layer_of_target(${target} own)
    get_target_property(type ${target} TYPE)
    set(linked "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${target} LINK_LIBRARIES)
      if(direct)
        list(APPEND linked ${direct})
      endif()
    endif()
    get_target_property(usage ${target} INTERFACE_LINK_LIBRARIES)
    if(usage)
      list(APPEND linked ${usage})
    endif()
    foreach(item IN LISTS linked)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      tsln_layer_of_target("${item}" other)
      if(other GREATER own)
        list(APPEND problems "${target} links ${item}, which is above it")
      elseif(own LESS_EQUAL core AND other GREATER_EQUAL 0 AND NOT other EQUAL own)
        list(APPEND problems "${target} links ${item}: ${target} links nothing else of ours")
      endif()
    endforeach()
  endforeach()
  tsln_refuse_layers("link" "${problems}")

  # Includes change without a new configure, so they are checked at every build.
  add_custom_target(check_layers ALL
    COMMAND ${CMAKE_COMMAND} -DTSLN_LAYER_ROOT=${CMAKE_SOURCE_DIR} -P ${TSLN_LAYERS_SCRIPT}
    COMMENT "Checking that every library includes only the ones below it"
    VERBATIM)
endfunction()

# Reports every quoted include of a library's sources that names a library above it (or, for pixels and
# core, any folder of ours but their own and res); fails when there is one.
function(tsln_check_includes root)
  set(problems "")
  tsln_layer_of_target(tsln_core core)
  foreach(entry IN LISTS TSLN_LAYERS)
    string(REGEX REPLACE "^[^=]*=" "" folder "${entry}")
    file(GLOB_RECURSE sources RELATIVE ${root} ${root}/${folder}/*.h ${root}/${folder}/*.cpp)
    list(APPEND all_sources ${sources})
  endforeach()
  if(all_sources)
    list(REMOVE_DUPLICATES all_sources)
  endif()
  foreach(source IN LISTS all_sources)
    tsln_layer_of_path("${source}" own)
    file(STRINGS ${root}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
      tsln_layer_of_path("${included}" other)
      string(REGEX REPLACE "/.*" "" top "${included}")
      if(other GREATER own)
        list(APPEND problems "${source} includes ${included}, which is above it")
      elseif(own GREATER_EQUAL 0 AND own LESS_EQUAL core AND NOT other EQUAL own AND
             (other GREATER_EQUAL 0 OR top IN_LIST TSLN_OTHER_FOLDERS))
        list(GET TSLN_LAYERS ${own} entry)
        string(REGEX REPLACE "^[^=]*=" "" folder "${entry}")
        list(APPEND problems "${source} includes ${included}: ${folder} includes nothing else of ours")
      endif()
    endforeach()
  endforeach()
  tsln_refuse_layers("include" "${problems}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED TSLN_LAYER_ROOT)
  tsln_check_includes(${TSLN_LAYER_ROOT})
endif()
