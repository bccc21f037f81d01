# The decode timer of bench/jp2_decode.sh, in both builds (run under Wine in
# the Win32 one). Not named bench_*: it needs a file to decode.
add_executable(jp2_decode_timer ${CMAKE_CURRENT_LIST_DIR}/jp2_decode.cpp)
target_link_libraries(jp2_decode_timer PRIVATE jp2scan)
