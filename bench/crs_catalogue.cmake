# The catalogue timer of bench/crs_catalogue.sh, native and Win32.
add_executable(crs_catalogue_timer ${CMAKE_CURRENT_LIST_DIR}/crs_catalogue.cpp)
target_link_libraries(crs_catalogue_timer PRIVATE crs_core)
