# libtiff as the target quarvex_tiff: natively the system's, for Win32 a
# static build of Debian's source package in the build folder (made at
# configure time; a failure stops the configure), compressing DEFLATE through
# our zlib and JPEG through our libjpeg-turbo.
if(WIN32)
    set(QUARVEX_TIFF_DIR "${CMAKE_BINARY_DIR}/tiff")
    quarvex_build_win32_library(libtiff build-tiff-win32.sh "${QUARVEX_TIFF_DIR}" "${QUARVEX_ZLIB_DIR}"
                                "${QUARVEX_LIBJPEG_DIR}")
    # The linker resolves libtiff's JPEG and zlib calls from the imported
    # libraries CMake places after it.
    add_library(quarvex_tiff STATIC IMPORTED)
    set_target_properties(quarvex_tiff PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_TIFF_DIR}/lib/libtiff.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_TIFF_DIR}/include"
        INTERFACE_LINK_LIBRARIES "quarvex_libjpeg;quarvex_zlib")
else()
    find_package(TIFF REQUIRED)
    add_library(quarvex_tiff INTERFACE)
    target_link_libraries(quarvex_tiff INTERFACE TIFF::TIFF)
endif()
