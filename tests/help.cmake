# --help on every program a user runs (no display needed).
if(NOT TANGLE_SANITIZE)
  add_test(NAME test_help_e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/help_e2e.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(test_help_e2e PROPERTIES LABELS e2e TIMEOUT 60)
endif()
