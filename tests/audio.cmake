# The music layer: decoding and the offline player as unit tests; the live
# player, which needs SDL's audio and real time, in a program of its own run
# twice: with SDL's dummy output and with no output device at all.
tangle_test(test_audio LABEL unit SOURCES tests/audio_test.cpp)

if(NOT TANGLE_SANITIZE)
  add_executable(test_audio_live tests/audio_live_test.cpp)
  target_include_directories(test_audio_live PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(test_audio_live PRIVATE tangle_audio_live GTest::gtest_main)
  foreach(driver dummy no-such-driver)
    add_test(NAME test_audio_live_${driver} COMMAND test_audio_live)
    set_tests_properties(test_audio_live_${driver} PROPERTIES LABELS e2e
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data
      ENVIRONMENT "SDL_AUDIODRIVER=${driver};TANGLE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endforeach()
endif()
