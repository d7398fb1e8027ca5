# The rehearsal tool: its window-free parts as a unit test, and the program
# itself under X (tests/rehearse_e2e.sh; its jumps go to 120 s, so it waits for
# the show's stepping).
tangle_test(test_rehearse LABEL unit SOURCES tests/rehearse_test.cpp LIBS tangle_rehearse_parts)
if(NOT TANGLE_SANITIZE)
  add_test(NAME test_rehearse_e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/rehearse_e2e.sh ${CMAKE_BINARY_DIR}/tangle-rehearse)
  set_tests_properties(test_rehearse_e2e PROPERTIES LABELS e2e RESOURCE_LOCK display TIMEOUT 900)
endif()
