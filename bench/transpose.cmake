# Transpose beside gdalwarp on the benchmark scans (bench/make_scans.sh);
# built for Win32 too, where bench/transpose.sh runs it under Wine.
if(WIN32)
    add_executable(bench_transpose ${CMAKE_CURRENT_LIST_DIR}/transpose.cpp)
    target_link_libraries(bench_transpose PRIVATE raster_core)
else()
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(BENCH_TURBOJPEG IMPORTED_TARGET libturbojpeg)
    endif()
    if(BENCH_TURBOJPEG_FOUND)
        add_executable(bench_transpose ${CMAKE_CURRENT_LIST_DIR}/transpose.cpp)
        target_link_libraries(bench_transpose PRIVATE raster_core PkgConfig::BENCH_TURBOJPEG)
        target_compile_definitions(bench_transpose PRIVATE
            QUARVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUARVEX_BENCH_DIR="${CMAKE_BINARY_DIR}")
    endif()
endif()
