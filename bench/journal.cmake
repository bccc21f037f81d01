# The recovery journal: appending and flushing 10,000 finished features of
# 50 vertices, natively (run by tools/bench.sh) and in the Win32 program's
# own journal files under Wine (bench/journal.sh).
add_executable(bench_journal ${CMAKE_CURRENT_LIST_DIR}/journal.cpp)
if(WIN32)
    target_link_libraries(bench_journal PRIVATE quarvex_app)
else()
    target_link_libraries(bench_journal PRIVATE edit_core)
endif()
