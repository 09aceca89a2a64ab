# tests/layers/check_layers.cmake: builds each include check (see CMakeLists.txt) and
# compares the outcome with the one the layers call for: a header of a stage the checking
# stage does not link must not be found; a header it does link must build.
#   cmake -DBUILD_DIR=<build folder> -DCHECKS=<target:header:builds|fails,...> -P this file
string(REPLACE "," ";" checks "${CHECKS}")
set(wrong 0)
foreach(check IN LISTS checks)
  string(REPLACE ":" ";" fields "${check}")
  list(GET fields 0 target)
  list(GET fields 1 header)
  list(GET fields 2 expected)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REGEX MATCH "${header}.*(No such file|not found)" not_found "${output}")
  if(expected STREQUAL "builds" AND status EQUAL 0)
    message(STATUS "ok: ${target} sees ${header}")
  elseif(expected STREQUAL "fails" AND NOT status EQUAL 0 AND not_found)
    message(STATUS "ok: ${target} cannot include ${header}")
  else()
    message(STATUS "WRONG: ${target} including ${header} should have ${expected}:\n${output}")
    math(EXPR wrong "${wrong} + 1")
  endif()
endforeach()
if(wrong GREATER 0)
  message(FATAL_ERROR "${wrong} include checks went against the layers")
endif()
