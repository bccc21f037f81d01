# The start-up timer of bench/app_startup.sh, Win32 build only (run under Wine).
if(WIN32)
    add_executable(app_startup_timer ${CMAKE_CURRENT_LIST_DIR}/app_startup.cpp)
endif()
