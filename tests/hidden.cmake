# The hidden part's rules: beat, patterns, scroller and its text.
tangle_test(test_hidden LABEL unit SOURCES
  tests/hidden_pattern_test.cpp tests/hidden_scroll_test.cpp)
