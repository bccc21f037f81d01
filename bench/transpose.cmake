# Transpose beside gdalwarp on the benchmark scans (bench/make_scans.sh);
# built for Win32 too, where bench/transpose.sh runs it under Wine.
if(WIN32)
    add_executable(bench_transpose ${CMAKE_CURRENT_LIST_DIR}/transpose.cpp)
    target_link_libraries(bench_transpose PRIVATE raster_core)
elseif(TARGET bench_scans)
    add_executable(bench_transpose ${CMAKE_CURRENT_LIST_DIR}/transpose.cpp)
    target_link_libraries(bench_transpose PRIVATE raster_core bench_scans)
endif()
