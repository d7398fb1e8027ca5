# The show's own storyboard and how it looks.
add_test(NAME test_direction_storyboard
  COMMAND ${CMAKE_SOURCE_DIR}/tests/direction_storyboard.sh ${CMAKE_BINARY_DIR})
set_tests_properties(test_direction_storyboard PROPERTIES LABELS e2e
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data)
if(NOT TANGLE_SANITIZE)
  tangle_test(test_direction_frames LABEL gl SOURCES tests/direction_frames_test.cpp LIBS tangle_render_pixels)
  set_tests_properties(test_direction_frames PROPERTIES TIMEOUT 900)
endif()
