# Cross-compiling the Win32 x86-64 build of quarvex.exe with mingw-w64 on
# Linux (the installer libraries stay x86: their engine is 32-bit).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUARVEX_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
