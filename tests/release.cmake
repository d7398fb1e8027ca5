# The release archive: packed reproducibly, self-contained, and run unpacked.
if(NOT TANGLE_SANITIZE)
  add_test(NAME test_release_e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/release_e2e.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(test_release_e2e PROPERTIES LABELS e2e RESOURCE_LOCK display TIMEOUT 300)
endif()
