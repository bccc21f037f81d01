# The one version number, from project(... VERSION ...): the program's
# version resource (app/res/QuarvexVersion.h), the setup program and the
# names of the packages (quarvex-version.txt, read by tools/package.sh) all
# take it from here. A part left out counts as 0.
foreach(part MAJOR MINOR PATCH TWEAK)
    set(QUARVEX_VERSION_${part} "${PROJECT_VERSION_${part}}")
    if(QUARVEX_VERSION_${part} STREQUAL "")
        set(QUARVEX_VERSION_${part} 0)
    endif()
endforeach()
set(QUARVEX_VERSION
    "${QUARVEX_VERSION_MAJOR}.${QUARVEX_VERSION_MINOR}.${QUARVEX_VERSION_PATCH}.${QUARVEX_VERSION_TWEAK}")
configure_file(${CMAKE_SOURCE_DIR}/app/res/QuarvexVersion.h.in ${CMAKE_BINARY_DIR}/app/res/QuarvexVersion.h @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/quarvex-version.txt CONTENT "${QUARVEX_VERSION}\n")
