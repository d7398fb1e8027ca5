# Jumps and holds of the music players (the rehearsal's stepping and pauses):
# the offline player as a unit test, the live one against real time with
# SDL's dummy output and with no output device.
tangle_test(test_audio_seek LABEL unit SOURCES tests/audio_seek_test.cpp)

if(NOT TANGLE_SANITIZE)
  add_executable(test_audio_live_seek tests/audio_live_seek_test.cpp)
  target_include_directories(test_audio_live_seek PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(test_audio_live_seek PRIVATE tangle_audio_live GTest::gtest_main)
  foreach(driver dummy no-such-driver)
    add_test(NAME test_audio_live_seek_${driver} COMMAND test_audio_live_seek)
    set_tests_properties(test_audio_live_seek_${driver} PROPERTIES LABELS e2e
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data
      ENVIRONMENT "SDL_AUDIODRIVER=${driver};TANGLE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endforeach()
endif()
