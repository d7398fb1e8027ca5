add_executable(bench_effects bench/effects_bench.cpp)
target_include_directories(bench_effects PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_effects PRIVATE tangle_show_offline tangle_test_support
  benchmark::benchmark_main)
