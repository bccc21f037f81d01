# libjpeg-turbo as the target quarvex_libjpeg: natively the system's libjpeg,
# for Win32 a static build of Debian's source package in the build folder
# (made at configure time; a failure stops the configure). Its library holds
# both interfaces, libjpeg's (our decoder, libtiff's JPEG) and TurboJPEG's
# (tests that make JPEGs).
if(WIN32)
    set(QUARVEX_LIBJPEG_DIR "${CMAKE_BINARY_DIR}/libjpeg-turbo")
    quarvex_build_win32_library(libjpeg-turbo build-libjpeg-win32.sh "${QUARVEX_LIBJPEG_DIR}")
    # An imported library: the linker then sees it after every library that
    # needs it (libtiff among them).
    add_library(quarvex_libjpeg STATIC IMPORTED)
    set_target_properties(quarvex_libjpeg PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_LIBJPEG_DIR}/lib/libturbojpeg.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_LIBJPEG_DIR}/include")
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)
    add_library(quarvex_libjpeg INTERFACE)
    target_link_libraries(quarvex_libjpeg INTERFACE PkgConfig::LIBJPEG)
endif()
