# The shipped show against reference pictures of earlier builds.
if(NOT TANGLE_SANITIZE)
  find_package(ZLIB REQUIRED)
  tangle_test(test_show_frames LABEL gl SOURCES tests/show_frames_test.cpp LIBS tangle_render_pixels ZLIB::ZLIB)
  set_tests_properties(test_show_frames PROPERTIES TIMEOUT 600)
  tangle_test(test_show_moments LABEL gl SOURCES tests/show_moments_test.cpp LIBS tangle_render_pixels ZLIB::ZLIB)
  set_tests_properties(test_show_moments PROPERTIES TIMEOUT 900)
  # llvmpipe draws a frame according to the frames it drew before, so a
  # stepped run's pictures there change with the set of frames drawn on the
  # way; softpipe draws the same state the same way every time.
  set_property(TEST test_show_moments APPEND PROPERTY ENVIRONMENT "GALLIUM_DRIVER=softpipe")
endif()
# The rehearsal's jump (show_seek, from the start or from a kept copy) lands
# on the capture tool's stepped state, and the next picture on softpipe is the
# stepped run's (the children that draw it choose softpipe themselves).
if(NOT TANGLE_SANITIZE)
  tangle_test(test_show_seek LABEL gl SOURCES tests/show_seek_test.cpp LIBS tangle_frame_driver)
  set_tests_properties(test_show_seek PROPERTIES TIMEOUT 300)
endif()
