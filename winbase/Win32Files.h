// The system's files behind the core's file seam, written so that a crash
// never leaves half of one: a flush puts the bytes on the disk, and a
// replacement moves a finished temporary over its target with
// write-through. Together with the core's staged writes no crash, power cut
// or full disk leaves a half-written file where a good one was.
#pragma once

#include "core/io/FileSystem.h"

CFileSystem& Win32Files();
