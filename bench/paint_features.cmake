# The feature-painting timer of bench/paint_features.sh: the program's own
# classes and windows, Win32 build only (run under Wine).
if(WIN32)
    add_executable(paint_features_timer
        ${CMAKE_CURRENT_LIST_DIR}/paint_features.cpp
        ${CMAKE_SOURCE_DIR}/tests/win/app/AppSession.cpp
        ${CMAKE_SOURCE_DIR}/tests/win/app/GuiDriver.cpp
        ${QUARVEX_RESOURCES})
    target_link_libraries(paint_features_timer PRIVATE quarvex_app)
    target_compile_definitions(paint_features_timer PRIVATE
        QUARVEX_APP_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/win/app/data")
endif()
