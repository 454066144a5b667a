# Fails when a C++ source of the repository differs from its clang-format form.
file(GLOB_RECURSE sources
  "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h"
  "${SOURCE_DIR}/tests/*.cpp" "${SOURCE_DIR}/tests/*.h"
  "${SOURCE_DIR}/tools/*.cpp" "${SOURCE_DIR}/tools/*.h"
  "${SOURCE_DIR}/benchmarks/*.cpp" "${SOURCE_DIR}/benchmarks/*.h")
execute_process(
  COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
  WORKING_DIRECTORY "${SOURCE_DIR}"
  RESULT_VARIABLE result
  ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Files are not formatted with the repository's .clang-format:\n${errors}")
endif()
list(LENGTH sources count)
message(STATUS "${count} sources formatted")
