# tests/print_skips.cmake: run by ctest after the tests (CTestCustom.cmake in the build
# folder); prints why each skipped test did not run, as the tests wrote it to LOG.
if(EXISTS "${LOG}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "What did not run, and why:")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E cat "${LOG}")
endif()
