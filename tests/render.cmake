# Render checks through the frame driver: the show's own frame loop on the
# offline music clock, one show per executable (start-up runs once).
if(NOT TANGLE_SANITIZE)
  add_library(tangle_render_pixels STATIC tests/render_pixels.cpp)
  target_include_directories(tangle_render_pixels PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(tangle_render_pixels PUBLIC tangle_frame_driver)
  foreach(check countdown credits hidden)
    tangle_test(test_render_${check} LABEL gl SOURCES tests/render_${check}_test.cpp LIBS tangle_render_pixels)
    set_tests_properties(test_render_${check} PROPERTIES TIMEOUT 300)
  endforeach()
endif()
