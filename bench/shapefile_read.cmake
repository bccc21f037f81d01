# Reading a large Shapefile made by ogr2ogr: our reader against GDAL's.
add_executable(bench_shapefile_read ${CMAKE_CURRENT_LIST_DIR}/shapefile_read.cpp)
target_link_libraries(bench_shapefile_read PRIVATE shape_core)
