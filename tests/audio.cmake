# The music layer: decoding, the offline player and its jumps and holds as
# unit tests; the live player, which needs SDL's audio and real time, in
# programs of their own, each run twice: with SDL's dummy output and with no
# output device at all.
tangle_test(test_audio LABEL unit SOURCES tests/audio_test.cpp)
tangle_test(test_audio_seek LABEL unit SOURCES tests/audio_seek_test.cpp)

function(tangle_live_audio_test name source)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE tangle_audio_live GTest::gtest_main)
  foreach(driver dummy no-such-driver)
    add_test(NAME ${name}_${driver} COMMAND ${name})
    set_tests_properties(${name}_${driver} PROPERTIES LABELS e2e
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/data
      ENVIRONMENT "SDL_AUDIODRIVER=${driver};TANGLE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endforeach()
endfunction()

if(NOT TANGLE_SANITIZE)
  # Playing, and the rehearsal's jumps and holds.
  tangle_live_audio_test(test_audio_live tests/audio_live_test.cpp)
  tangle_live_audio_test(test_audio_live_seek tests/audio_live_seek_test.cpp)
endif()
