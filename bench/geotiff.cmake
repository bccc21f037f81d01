# Export GeoTIFF beside gdalwarp on the benchmark scans (bench/make_scans.sh):
# the same tiled bilinear DEFLATE GeoTIFF with overviews, time and peak memory.
if(TARGET bench_scans)
    add_executable(bench_geotiff ${CMAKE_CURRENT_LIST_DIR}/geotiff.cpp)
    target_link_libraries(bench_geotiff PRIVATE geotiff_core bench_scans)
endif()
