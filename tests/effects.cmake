tangle_test(test_effects LABEL unit SOURCES
  tests/effects_noise_test.cpp tests/effects_shapes_test.cpp tests/effects_lines_test.cpp)
tangle_test(test_effects_gl LABEL gl SOURCES tests/effects_gl_test.cpp)
