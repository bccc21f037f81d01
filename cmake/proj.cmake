# PROJ as the target quarvex_proj: natively the system's libproj, for Win32 a
# static build of Debian's source package in the build folder over our SQLite
# (made at configure time; a failure stops the configure).
# QUARVEX_PROJ_DATA_DIR is the folder holding the proj.db the program ships:
# the program finds it beside itself, the tests here. Natively it is a copy of
# proj-data's database alone, so that no grid on the build machine changes
# the operations PROJ chooses.
if(WIN32)
    set(QUARVEX_PROJ_DIR "${CMAKE_BINARY_DIR}/proj")
    quarvex_build_win32_library(PROJ build-proj-win32.sh "${QUARVEX_PROJ_DIR}" "${QUARVEX_SQLITE_DIR}")
    set(QUARVEX_PROJ_DATA_DIR "${QUARVEX_PROJ_DIR}/share")
    # PROJ asks the shell for the user's data folder (shell32, ole32).
    add_library(quarvex_proj STATIC IMPORTED)
    set_target_properties(quarvex_proj PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_PROJ_DIR}/lib/libproj.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_PROJ_DIR}/include"
        INTERFACE_COMPILE_DEFINITIONS "PROJ_DLL="
        INTERFACE_LINK_LIBRARIES "quarvex_sqlite;shell32;ole32")
else()
    find_package(PROJ REQUIRED CONFIG)
    add_library(quarvex_proj INTERFACE)
    target_link_libraries(quarvex_proj INTERFACE PROJ::proj)
    set(QUARVEX_PROJ_DATA_DIR "${CMAKE_BINARY_DIR}/proj/share")
    configure_file(/usr/share/proj/proj.db "${QUARVEX_PROJ_DATA_DIR}/proj.db" COPYONLY)
endif()
