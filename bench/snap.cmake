# The snap search under the cursor over 100,000 finished features: run at
# every mouse move while snapping is on (run by tools/bench.sh).
add_executable(bench_snap ${CMAKE_CURRENT_LIST_DIR}/snap.cpp)
target_link_libraries(bench_snap PRIVATE view_core)
