# The demo's data file is what its generator writes: make-data run again must give the same bytes,
# so that the file and the generator cannot part. Given: PYTHON, DEMO, OUT.
execute_process(COMMAND ${PYTHON} ${DEMO}/make-data ${OUT} RESULT_VARIABLE status
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make-data ended with ${status}:\n${errors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${DEMO}/data/addresses.csv
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "demo/data/addresses.csv is not what demo/make-data writes; run it again")
endif()
