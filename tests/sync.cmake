# Storyboard, replay, recording, command keys and the storyboard checker.
tangle_test(test_sync_storyboard LABEL unit
  SOURCES tests/sync_storyboard_test.cpp LINKS tangle_sync)
tangle_test(test_sync_commands LABEL unit
  SOURCES tests/sync_commands_test.cpp LINKS tangle_sync)
tangle_test(test_sync_checker LABEL unit
  SOURCES tests/sync_checker_test.cpp tools/storyboard/check.cpp
  LINKS tangle_sync tangle_audio LIBS PkgConfig::MPG123)

if(NOT TANGLE_SANITIZE)
  # The checker's command line and exit codes.
  add_test(NAME test_sync_checker_cli COMMAND bash ${CMAKE_SOURCE_DIR}/tests/sync_checker_cli.sh)
  set_tests_properties(test_sync_checker_cli PROPERTIES LABELS e2e
    ENVIRONMENT "TANGLE_SOURCE_DIR=${CMAKE_SOURCE_DIR};TANGLE_BUILD_DIR=${CMAKE_BINARY_DIR}")
  # The show itself ending (or not) on a storyboard "q".
  add_test(NAME test_sync_e2e COMMAND bash ${CMAKE_SOURCE_DIR}/tests/sync_e2e.sh)
  set_tests_properties(test_sync_e2e PROPERTIES LABELS e2e RESOURCE_LOCK display
    ENVIRONMENT "SDL_AUDIODRIVER=dummy;TANGLE_SOURCE_DIR=${CMAKE_SOURCE_DIR};TANGLE_BUILD_DIR=${CMAKE_BINARY_DIR}")
endif()

# The cue sheet compiler with what it must refuse, warn about or escape.
add_test(NAME test_cues_e2e COMMAND bash ${CMAKE_SOURCE_DIR}/tests/cues_e2e.sh ${CMAKE_BINARY_DIR}/tangle-cues)
set_tests_properties(test_cues_e2e PROPERTIES LABELS e2e)
