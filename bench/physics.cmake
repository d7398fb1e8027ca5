# One frame's physics (both sheets stepped, the cloud moved), the show's code
# beside the plain reference it must match.
add_executable(bench_physics bench/physics_bench.cpp tests/physics_oracle.cpp)
target_include_directories(bench_physics PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_physics PRIVATE tangle_show_offline benchmark::benchmark_main)
