# The decode timer of bench/jpeg_decode.sh, in both builds (run under Wine in
# the Win32 one). Not named bench_*: it needs a file to decode.
add_executable(jpeg_decode_timer ${CMAKE_CURRENT_LIST_DIR}/jpeg_decode.cpp)
target_link_libraries(jpeg_decode_timer PRIVATE jpegfile)
