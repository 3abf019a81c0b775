# Runs ovadump on the sample definition file and a missing one: the listing must equal the
# reviewed one, and the missing file must be named with exit status 1.
execute_process(COMMAND ${OVADUMP} ${DATA}/template/sales.ova
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
file(READ ${DATA}/template/sales.listing expected)
if(NOT status EQUAL 0 OR NOT listing STREQUAL expected)
  message(FATAL_ERROR "ovadump listing differs (status ${status}):\n${listing}")
endif()
execute_process(COMMAND ${OVADUMP} ${DATA}/template/sales.ova ${DATA}/template/missing.ova
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 1 OR NOT errors MATCHES "missing.ova" OR NOT listing STREQUAL expected)
  message(FATAL_ERROR "ovadump with a missing file: status ${status}, errors ${errors}")
endif()
execute_process(COMMAND ${OVADUMP} RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "ovadump without arguments: status ${status}")
endif()
