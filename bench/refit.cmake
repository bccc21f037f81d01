# Refitting and refreshing the residuals after a control point changes, for
# 10, 100 and 1,000 points: natively (run by tools/bench.sh) and for Win32,
# where bench/refit.sh runs it under Wine as the program runs it.
add_executable(bench_refit ${CMAKE_CURRENT_LIST_DIR}/refit.cpp)
target_link_libraries(bench_refit PRIVATE edit_core)
