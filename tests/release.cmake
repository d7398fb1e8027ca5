# The release archive: built in the Debian 11 tree (into build/debian11, as
# ./tangle.sh does), packed reproducibly, self-contained, and run unpacked
# inside that tree. Skipped where the tree or its build is missing, and its
# run there without root.
if(NOT TANGLE_SANITIZE)
  add_test(NAME test_release_e2e
    COMMAND ${CMAKE_SOURCE_DIR}/tests/release_e2e.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/build/debian11)
  set_tests_properties(test_release_e2e PROPERTIES LABELS e2e RESOURCE_LOCK display TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
