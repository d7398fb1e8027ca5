# The capture report's framing measure: pure functions, no display.
tangle_test(test_capture_framing LABEL unit
  SOURCES tests/capture_framing_test.cpp LIBS tangle_capture_files)
if(NOT TANGLE_SANITIZE)
  add_test(NAME test_capture_framing_e2e
    COMMAND ${CMAKE_SOURCE_DIR}/tests/capture_framing_e2e.sh ${CMAKE_BINARY_DIR}/tangle-capture)
  set_tests_properties(test_capture_framing_e2e PROPERTIES LABELS e2e TIMEOUT 300
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data ENVIRONMENT "SDL_AUDIODRIVER=dummy" RESOURCE_LOCK display)
endif()
