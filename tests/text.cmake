# Text: pure rules (no GL context) and the glyph font drawn under Xvfb.
tangle_test(test_text_rules LABEL unit SOURCES tests/text_rules_test.cpp)
tangle_test(test_text_captions LABEL unit SOURCES tests/text_captions_test.cpp)
tangle_test(test_text_font LABEL gl SOURCES tests/text_font_gl_test.cpp)
tangle_test(test_text_draw LABEL gl SOURCES tests/text_draw_gl_test.cpp)
