// Export GeoTIFF (File menu): the dialog, the Save dialog, the export with
// its progress in the status line (Escape cancels), and the message that
// tells how it ended.
#pragma once

#include <string>

#include "core/raster/RandomAccessFile.h"

// The program's files: a new file made by the system in the target's folder,
// moved over the target in one step (replacing it, written through).
CExportFileStore& Win32ExportFileStore();
