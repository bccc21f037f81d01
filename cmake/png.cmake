# libpng as the target quarvex_png: natively the system's, for Win32 a static
# build of Debian's source package in the build folder (made at configure
# time; a failure stops the configure), over our zlib.
if(WIN32)
    set(QUARVEX_PNG_DIR "${CMAKE_BINARY_DIR}/png")
    quarvex_build_win32_library(libpng build-png-win32.sh "${QUARVEX_PNG_DIR}" "${QUARVEX_ZLIB_DIR}")
    add_library(quarvex_png STATIC IMPORTED)
    set_target_properties(quarvex_png PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_PNG_DIR}/lib/libpng.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_PNG_DIR}/include"
        INTERFACE_LINK_LIBRARIES "quarvex_zlib")
else()
    find_package(PNG REQUIRED)
    add_library(quarvex_png INTERFACE)
    target_link_libraries(quarvex_png INTERFACE PNG::PNG)
endif()
