# OpenJPEG as the target quarvex_openjpeg: natively the system's libopenjp2,
# for Win32 a static build of Debian's source package in the build folder
# (made at configure time; a failure stops the configure).
if(WIN32)
    set(QUARVEX_OPENJPEG_DIR "${CMAKE_BINARY_DIR}/openjpeg")
    quarvex_build_win32_library(OpenJPEG build-openjpeg-win32.sh "${QUARVEX_OPENJPEG_DIR}")
    # OPJ_STATIC: without it openjpeg.h declares every function as imported from a DLL.
    add_library(quarvex_openjpeg STATIC IMPORTED)
    set_target_properties(quarvex_openjpeg PROPERTIES
        IMPORTED_LOCATION "${QUARVEX_OPENJPEG_DIR}/lib/libopenjp2.a"
        INTERFACE_INCLUDE_DIRECTORIES "${QUARVEX_OPENJPEG_DIR}/include"
        INTERFACE_COMPILE_DEFINITIONS OPJ_STATIC)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(OPENJPEG REQUIRED IMPORTED_TARGET libopenjp2)
    add_library(quarvex_openjpeg INTERFACE)
    target_link_libraries(quarvex_openjpeg INTERFACE PkgConfig::OPENJPEG)
endif()
