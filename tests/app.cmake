tangle_test(test_app_unit LABEL unit SOURCES tests/app_unit_test.cpp)
tangle_test(test_app_gl LABEL gl SOURCES tests/app_gl_test.cpp)
add_test(NAME test_app_e2e COMMAND ${CMAKE_SOURCE_DIR}/tests/app_e2e.sh ${CMAKE_BINARY_DIR}/tangle)
set_tests_properties(test_app_e2e PROPERTIES LABELS e2e RESOURCE_LOCK display TIMEOUT 300)
