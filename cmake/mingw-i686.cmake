# Cross-compiling the Win32 x86 deliverables with mingw-w64 on Linux.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUARVEX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
