# The window program started where no display can be opened: one French line
# that says so and points at --render and --text, and exit code 1 instead of
# Qt's abort. Usage: cmake -DPROGRAM=zefweb -P NoDisplayTest.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=WAYLAND_DISPLAY DISPLAY=:987
          ${PROGRAM} page.htm
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT code EQUAL 1)
  message(FATAL_ERROR "exit code ${code} instead of 1; standard error:\n${err}")
endif()
string(REGEX MATCHALL "\n" line_ends "${err}")
list(LENGTH line_ends lines)
if(NOT lines EQUAL 1 OR NOT err MATCHES "^zefweb: aucun écran ne peut être ouvert \\(DISPLAY=:987\\)"
   OR NOT err MATCHES "--render" OR NOT err MATCHES "--text")
  message(FATAL_ERROR "standard error is not the one French line expected:\n${err}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "nothing should go to standard output:\n${out}")
endif()
