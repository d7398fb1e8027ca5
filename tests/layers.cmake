# The layers hold: from each library's include path an include of a folder
# above it fails to compile, and one of its own layer still works.
if(NOT TANGLE_SANITIZE)
  set(layer_cases)
  foreach(folder core audio physics sync effects text scenes app)
    string(REPLACE ";" "," seen "${tangle_sees_${folder}}")
    list(APPEND layer_cases "${folder}:${seen}")
  endforeach()
  add_test(NAME test_layer_includes COMMAND bash ${CMAKE_SOURCE_DIR}/tests/layers_check.sh
    ${CMAKE_CXX_COMPILER} ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/layers ${layer_cases})
  set_tests_properties(test_layer_includes PROPERTIES LABELS unit)
endif()
