# Writing a large Shapefile: our writers against GDAL's ogr2ogr on the same shapes.
add_executable(bench_shapefile ${CMAKE_CURRENT_LIST_DIR}/shapefile.cpp)
target_link_libraries(bench_shapefile PRIVATE shape_core)
