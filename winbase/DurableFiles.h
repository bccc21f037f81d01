// Files of the user's work as the system writes them safely: a sink whose
// close flushes the bytes to the disk, and a replacement that moves a
// finished temporary over its target with write-through. Together with the
// core's staged writes no crash, power cut or full disk leaves a
// half-written file where a good one was.
#pragma once

#include <windows.h>

#include <cstddef>

#include "core/shape/StagedWrite.h"

CFileReplacer& DurableFileReplacer();
CStagedFiles DurableFiles();

// Writes every byte through the handle; false at the first failure.
bool WriteAllToFile(HANDLE hFile, const void* pData, size_t cb);
