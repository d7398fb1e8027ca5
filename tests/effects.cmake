tangle_test(test_effects LABEL unit SOURCES
  tests/effects_noise_test.cpp tests/effects_shapes_test.cpp tests/effects_lines_test.cpp)
tangle_test(test_effects_gl LABEL gl SOURCES tests/effects_gl_test.cpp)
tangle_test(test_wide_lines LABEL unit SOURCES tests/wide_lines_test.cpp LINKS tangle_core)
# Judged on softpipe, whose smooth lines the show's pictures were taken with.
if(NOT TANGLE_SANITIZE)
  tangle_test(test_wide_lines_gl LABEL gl SOURCES tests/wide_lines_gl_test.cpp
    LINKS tangle_core_gl tangle_test_support)
  set_property(TEST test_wide_lines_gl APPEND PROPERTY ENVIRONMENT "GALLIUM_DRIVER=softpipe")
endif()
