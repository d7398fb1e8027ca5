add_executable(bench_show bench/show_bench.cpp)
target_link_libraries(bench_show PRIVATE tangle_frame_driver benchmark::benchmark_main)
