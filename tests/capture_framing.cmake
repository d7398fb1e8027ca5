# The capture report's framing measure: pure functions, no display.
tangle_test(test_capture_framing LABEL unit
  SOURCES tests/capture_framing_test.cpp ${CMAKE_SOURCE_DIR}/tools/capture/framing.cpp)
target_include_directories(test_capture_framing PRIVATE ${CMAKE_SOURCE_DIR}/tools/capture)
