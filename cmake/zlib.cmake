# zlib as the target quarvex_zlib: natively the system's, for Win32 a static
# build of Debian's source package in the build folder (made at configure
# time; a failure stops the configure).
if(WIN32)
    set(QUARVEX_ZLIB_DIR "${CMAKE_BINARY_DIR}/zlib")
    quarvex_build_win32_library(zlib build-zlib-win32.sh "${QUARVEX_ZLIB_DIR}")
    # An imported library, not a bare path: the linker then sees it after
    # every library that needs it (libtiff among them).
    add_library(quarvex_zlib STATIC IMPORTED)
    set_target_properties(quarvex_zlib PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_ZLIB_DIR}/lib/libz.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_ZLIB_DIR}/include")
else()
    find_package(ZLIB REQUIRED)
    add_library(quarvex_zlib INTERFACE)
    target_link_libraries(quarvex_zlib INTERFACE ZLIB::ZLIB)
endif()
