# The open-and-paint timer of bench/app_open_paint.sh: the program's own
# classes and windows, Win32 build only (run under Wine).
if(WIN32)
    add_executable(app_open_paint_timer
        ${CMAKE_CURRENT_LIST_DIR}/app_open_paint.cpp
        ${CMAKE_SOURCE_DIR}/tests/win/app/AppSession.cpp
        ${CMAKE_SOURCE_DIR}/tests/win/app/GuiDriver.cpp
        ${QUARVEX_RESOURCES})
    target_link_libraries(app_open_paint_timer PRIVATE quarvex_app psapi)
    target_compile_definitions(app_open_paint_timer PRIVATE
        QUARVEX_APP_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/win/app/data")
    # 108-MP scans need the address space above 2 GB, as the program does.
    target_link_options(app_open_paint_timer PRIVATE ${QUARVEX_LARGE_ADDRESS_AWARE})
endif()
