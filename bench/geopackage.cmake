# Opening and saving a large GeoPackage: our reader and writer against ogr2ogr.
add_executable(bench_geopackage ${CMAKE_CURRENT_LIST_DIR}/geopackage.cpp)
target_link_libraries(bench_geopackage PRIVATE gpkg_core georef_core)
