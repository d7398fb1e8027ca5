# Each drawing routine's submission alone, on the show's state at 130 s.
add_executable(bench_draw bench/draw_bench.cpp)
target_include_directories(bench_draw PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests
  ${CMAKE_SOURCE_DIR}/tools/capture)
target_link_libraries(bench_draw PRIVATE tangle_frame_driver benchmark::benchmark_main)
