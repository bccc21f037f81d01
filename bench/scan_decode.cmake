# The decode timer of bench/jp2_decode.sh and bench/scan_decode.sh, in both
# builds (run under Wine in the Win32 one). Not named bench_*: it needs a
# file to decode.
add_executable(scan_decode_timer ${CMAKE_CURRENT_LIST_DIR}/scan_decode.cpp)
target_link_libraries(scan_decode_timer PRIVATE scan_core jp2scan)
