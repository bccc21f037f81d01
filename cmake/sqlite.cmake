# SQLite as the target quarvex_sqlite: natively the system's libsqlite3, for
# Win32 a static build of Debian's source package in the build folder (made
# at configure time; a failure stops the configure).
if(WIN32)
    set(QUARVEX_SQLITE_DIR "${CMAKE_BINARY_DIR}/sqlite")
    quarvex_build_win32_library(SQLite build-sqlite-win32.sh "${QUARVEX_SQLITE_DIR}")
    add_library(quarvex_sqlite STATIC IMPORTED)
    set_target_properties(quarvex_sqlite PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_SQLITE_DIR}/lib/libsqlite3.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_SQLITE_DIR}/include")
else()
    find_package(SQLite3 REQUIRED)
    add_library(quarvex_sqlite INTERFACE)
    target_link_libraries(quarvex_sqlite INTERFACE SQLite::SQLite3)
endif()
