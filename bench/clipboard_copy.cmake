# Copy's clipboard bitmap timed under Wine (bench/clipboard_copy.sh):
# Win32 build only.
if(WIN32)
    add_executable(bench_clipboard_copy ${CMAKE_CURRENT_LIST_DIR}/clipboard_copy.cpp)
    target_link_libraries(bench_clipboard_copy PRIVATE quarvex_app)
    # The 108-MP scan's resampled image and its bitmap need the address
    # space above 2 GB, as the program does.
    target_link_options(bench_clipboard_copy PRIVATE ${QUARVEX_LARGE_ADDRESS_AWARE})
endif()
