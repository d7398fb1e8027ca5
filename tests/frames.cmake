# The shipped show against reference pictures of earlier builds.
if(NOT TANGLE_SANITIZE)
  find_package(ZLIB REQUIRED)
  tangle_test(test_show_frames LABEL gl SOURCES tests/show_frames_test.cpp LIBS tangle_render_pixels ZLIB::ZLIB)
  set_tests_properties(test_show_frames PROPERTIES TIMEOUT 600)
  tangle_test(test_show_moments LABEL gl SOURCES tests/show_moments_test.cpp LIBS tangle_render_pixels ZLIB::ZLIB)
  set_tests_properties(test_show_moments PROPERTIES TIMEOUT 900)
endif()
