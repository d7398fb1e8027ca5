# Fuzz targets: libFuzzer with address and undefined-behaviour sanitizers.
# They need clang while the project builds with g++, so each is compiled
# straight from the sources it needs by one clang++ command. Each test runs
# its target over the seed corpus in the tree, then fuzzes for
# TANGLE_FUZZ_SECONDS; crashes it finds become unit tests.
find_program(TANGLE_CLANGXX NAMES clang++-14 clang++)
set(TANGLE_FUZZ_SECONDS 15 CACHE STRING "seconds each fuzz test fuzzes beyond its corpus")

function(tangle_fuzz name)
  cmake_parse_arguments(arg "" "CORPUS" "SOURCES;INCLUDES;LIBS" ${ARGN})
  set(out ${CMAKE_BINARY_DIR}/fuzz/${name})
  set(sources ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.cpp)
  set(depends)
  foreach(s ${arg_SOURCES})
    list(APPEND sources ${CMAKE_SOURCE_DIR}/${s})
  endforeach()
  foreach(s ${sources})
    list(APPEND depends CXX ${s})
  endforeach()
  set(includes -I${CMAKE_SOURCE_DIR}/src)
  foreach(i ${arg_INCLUDES})
    list(APPEND includes -I${CMAKE_SOURCE_DIR}/${i})
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
    COMMAND ${TANGLE_CLANGXX} -std=c++20 -O2 -g -fsanitize=fuzzer,address,undefined
      -fno-sanitize-recover=undefined ${includes} ${sources} ${arg_LIBS} -o ${out}
    DEPENDS ${sources} IMPLICIT_DEPENDS ${depends}
    COMMENT "Building fuzz target ${name} with clang" VERBATIM)
  add_custom_target(${name}_build ALL DEPENDS ${out})
  add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${out}
    ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${arg_CORPUS} ${TANGLE_FUZZ_SECONDS})
  set_tests_properties(${name} PROPERTIES LABELS e2e TIMEOUT 300)
endfunction()

if(TANGLE_CLANGXX AND NOT TANGLE_SANITIZE)
  tangle_fuzz(fuzz_storyboard CORPUS storyboard
    SOURCES src/sync/storyboard.cpp src/sync/replay.cpp src/core/platform_posix.cpp)
  # The checker reports which keys have commands and measures the music: the
  # command table and its state come along, and the decoder.
  tangle_fuzz(fuzz_checker CORPUS storyboard INCLUDES tools/storyboard
    SOURCES tools/storyboard/check.cpp src/sync/storyboard.cpp src/sync/replay.cpp src/sync/commands.cpp
      src/core/demo_state.cpp src/core/random.cpp src/core/clock.cpp src/physics/cloth.cpp src/audio/clock.cpp
      src/audio/music_offline.cpp src/audio/mixer.cpp src/audio/decoder.cpp src/core/input_file.cpp
      src/core/platform_posix.cpp
    LIBS -lmpg123 -lsyn123)
  tangle_fuzz(fuzz_cues CORPUS cues INCLUDES tools/cuesheet SOURCES tools/cuesheet/cue_compile.cpp)
  tangle_fuzz(fuzz_capture_options CORPUS capture_options INCLUDES tools/capture
    SOURCES tools/capture/capture_options.cpp)
else()
  message(STATUS "No clang++ (or a sanitizer build): fuzz targets not built")
endif()
