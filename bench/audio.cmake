# Cost of one audio callback's mix (1024 frames) for files at and off 44100 Hz.
add_executable(bench_audio bench/audio_bench.cpp)
target_include_directories(bench_audio PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_audio PRIVATE tangle_audio_offline benchmark::benchmark_main)
