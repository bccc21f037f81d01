// The C library's files: the native tests, tools and benchmarks. The
// program itself goes through the system's (winbase/Win32Files.h), which
// replaces in one step on Windows too.
#pragma once

#include "core/io/FileSystem.h"

CFileSystem& StdioFileSystem();
