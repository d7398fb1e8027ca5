# The show's own seven-segment face: its glyphs at the show's size, and the
# text it sets as the credits, the countdown panel and the hidden part show it.
tangle_test(test_font_face LABEL unit SOURCES tests/font_face_test.cpp)
if(NOT TANGLE_SANITIZE)
  tangle_test(test_font_render LABEL gl SOURCES tests/font_render_test.cpp LIBS tangle_render_pixels)
  set_tests_properties(test_font_render PROPERTIES TIMEOUT 300)
endif()
