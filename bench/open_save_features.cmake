# Opening a large Shapefile as the document's features and saving it back,
# beside ogr2ogr copying it.
add_executable(bench_open_save_features ${CMAKE_CURRENT_LIST_DIR}/open_save_features.cpp)
target_link_libraries(bench_open_save_features PRIVATE shape_core)
