# Runs one conformance script with the acorn command and compares its
# standard output with the expected file, byte for byte.
get_filename_component(case_dir ${CASE} DIRECTORY)
get_filename_component(case_file ${CASE} NAME)
execute_process(COMMAND ${ACORN} ${case_file}
  WORKING_DIRECTORY ${case_dir}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE rc
  TIMEOUT 60)
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${case_file}.actual "${actual}")
  message(FATAL_ERROR "output differs from ${EXPECTED}\n--- expected\n${expected}\n--- actual\n${actual}\n--- stderr (exit ${rc})\n${errors}")
endif()
