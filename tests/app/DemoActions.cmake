# Runs the demo's action file with the ovplayer executable on a fresh copy of the demo, its database
# made by the demo's make-database, with no display at all (a Qt platform that needs one is named,
# so that the run would fail if the action mode made anything of Qt's screen). The transcript is
# left in WORK for a person to read. Given: PLAYER, VARNEX, DEMO, WORK.
file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK} REGEX "/(INDEX|DATA|WORK)$" EXCLUDE)

execute_process(COMMAND ${WORK}/make-database ${VARNEX} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE made OUTPUT_QUIET ERROR_VARIABLE madeErrors)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "the demo's database could not be made:\n${madeErrors}")
endif()

# The find statements of the authoring guide (its "statement" blocks, one a line) run on the
# demo's address file.
if(GUIDE)
  file(READ ${GUIDE} guide)
  string(REGEX MATCHALL "```statement\n[^`]*```" blocks "${guide}")
  if(NOT blocks)
    message(FATAL_ERROR "${GUIDE} has no statement examples")
  endif()
  foreach(block IN LISTS blocks)
    string(REGEX REPLACE "```statement\n" "" block "${block}")
    string(REGEX REPLACE "```$" "" block "${block}")
    # The ";" that ends a statement would split the list of lines; the engine does without it.
    string(REPLACE ";" "" block "${block}")
    string(REPLACE "\n" ";" lines "${block}")
    foreach(line IN LISTS lines)
      if(line STREQUAL "")
        continue()
      endif()
      execute_process(COMMAND ${VARNEX} count 1 "${line}" WORKING_DIRECTORY ${WORK}
                      RESULT_VARIABLE counted OUTPUT_VARIABLE count ERROR_VARIABLE countErrors)
      if(NOT counted EQUAL 0)
        message(FATAL_ERROR "the guide's statement ${line} does not run:\n${countErrors}")
      endif()
    endforeach()
  endforeach()
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
          ${PLAYER} --actions tour.actions --transcript ${WORK}/tour.transcript
  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE errors)
# The engine's debug lines are left out of what the test shows.
string(REGEX REPLACE "[ \t]*[0-9]+ \\[[0-9/: ]+\\][^\n]*\n" "" errors "${errors}")
if(NOT status EQUAL 0)
  set(transcript "")
  if(EXISTS ${WORK}/tour.transcript)
    file(READ ${WORK}/tour.transcript transcript)
  endif()
  message(FATAL_ERROR "ovplayer --actions tour.actions ended with ${status}:\n${errors}\n"
                      "transcript:\n${transcript}")
endif()
message(STATUS "${errors}")
