cmake_minimum_required(VERSION 3.25)
# Fails when a source under src/ includes from a folder its floor may not use,
# or when a floor below the platform includes anything but the standard
# library (no Qt, SDL or operating-system header). Run by the suite's
# include_check test: cmake -DSOURCE_DIR=... -P IncludeCheck.cmake
set(uses_core "")
set(uses_rules core)
set(uses_records rules core)
set(uses_opponent rules)
set(uses_voice core)
set(uses_game rules records opponent voice core)
set(uses_net game core)
set(uses_platform voice core)
set(uses_ui game voice records core)
set(uses_app core rules records opponent voice game net platform ui)
set(standard_only core rules records opponent voice game net)

# Files that still lean on what their floor may not use, each with its reason.
# The list only shrinks.
set(allowed_exceptions
  # the atomic write and the folders' checks still call the operating system
  "core/CommonRoutines.cpp:<fcntl.h>" "core/CommonRoutines.cpp:<unistd.h>"
  "core/ProgramFolders.cpp:<fcntl.h>" "core/ProgramFolders.cpp:<pwd.h>"
  "core/ProgramFolders.cpp:<unistd.h>")

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h")
set(faults "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" floor "${source}")
  if(NOT floor MATCHES "^(core|rules|records|opponent|voice|game|net|platform|ui|app)$")
    list(APPEND faults "${source}: the folder ${floor} is not a known floor")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/src/${source}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"/]+)/[^\"]+\"")
      set(used "${CMAKE_MATCH_1}")
      set(pair "${source}:${used}")
      if(NOT used STREQUAL floor AND NOT used IN_LIST uses_${floor}
         AND NOT pair IN_LIST allowed_exceptions)
        list(APPEND faults "${source}: ${floor} may not use ${used} (${line})")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*\"")
      list(APPEND faults "${source}: an include without its folder (${line})")
    elseif(floor IN_LIST standard_only AND line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      # The C++ standard headers are lower-case words without extension or folder.
      set(pair "${source}:<${CMAKE_MATCH_1}>")
      if(NOT CMAKE_MATCH_1 MATCHES "^[a-z_0-9]+$" AND NOT pair IN_LIST allowed_exceptions)
        list(APPEND faults "${source}: ${floor} uses the standard library only (${line})")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes across the floors:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} sources include only what their floor may use")
