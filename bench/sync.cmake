# Per-frame cost of the storyboard replay: skipping replay against the plain pass.
add_executable(bench_sync_replay bench/sync_replay.cpp)
target_include_directories(bench_sync_replay PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(bench_sync_replay PRIVATE tangle_sync benchmark::benchmark_main)
