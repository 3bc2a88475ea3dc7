# Fails when a file below FOLDER includes a header matching PATTERN: the layers above the
# window system stay free of it.
#   cmake -DFOLDER=… -DPATTERN=… -P ForbiddenIncludes.cmake
file(GLOB_RECURSE sources "${FOLDER}/*.h" "${FOLDER}/*.cpp")
set(offenders "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](${PATTERN})")
  foreach(line IN LISTS includes)
    list(APPEND offenders "${source}: ${line}")
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n" report)
  message(FATAL_ERROR "window-system headers included above the surface:\n${report}")
endif()
