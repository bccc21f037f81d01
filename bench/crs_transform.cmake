# The transformation timer of bench/crs_transform.sh, native and Win32; it
# reads the proj.db the program ships (QUARVEX_PROJ_DATA_DIR).
add_executable(crs_transform_timer ${CMAKE_CURRENT_LIST_DIR}/crs_transform.cpp)
target_link_libraries(crs_transform_timer PRIVATE crs_core)
