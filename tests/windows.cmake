# The Windows archive under Wine (./tangle.sh test builds it first into
# build/windows/dist; without it the test reports itself skipped).
if(NOT TANGLE_SANITIZE)
  add_test(NAME test_windows_e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/windows_e2e.sh ${CMAKE_BINARY_DIR}/windows/dist)
  set_tests_properties(test_windows_e2e PROPERTIES LABELS windows RESOURCE_LOCK display TIMEOUT 900
    SKIP_RETURN_CODE 77)
endif()
