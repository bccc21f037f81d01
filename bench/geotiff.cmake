# Export GeoTIFF beside gdalwarp on the benchmark scans (bench/make_scans.sh):
# the same tiled bilinear DEFLATE GeoTIFF with overviews, time and peak memory.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_check_modules(BENCH_GEOTIFF_TURBOJPEG IMPORTED_TARGET libturbojpeg)
endif()
if(NOT WIN32 AND BENCH_GEOTIFF_TURBOJPEG_FOUND)
    add_executable(bench_geotiff ${CMAKE_CURRENT_LIST_DIR}/geotiff.cpp)
    target_link_libraries(bench_geotiff PRIVATE geotiff_core PkgConfig::BENCH_GEOTIFF_TURBOJPEG)
    target_compile_definitions(bench_geotiff PRIVATE
        QUARVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUARVEX_BENCH_DIR="${CMAKE_BINARY_DIR}")
endif()
