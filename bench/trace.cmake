# The tracing preview on a 108-MP scan as the mouse moves along a road
# (run by tools/bench.sh, and by bench/trace.sh beside scikit-image).
add_executable(bench_trace ${CMAKE_CURRENT_LIST_DIR}/trace.cpp)
target_link_libraries(bench_trace PRIVATE trace_core raster_core)
