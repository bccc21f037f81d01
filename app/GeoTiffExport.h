// Export GeoTIFF (File menu): the dialog, the Save dialog, the export with
// its progress in the status line (Escape cancels), and the message that
// tells how it ended.
#pragma once

#include "app/ImageDoc.h"

// Whether there is a fit to export the scan north up with.
bool CanExportGeoTiff(const CImageSession& session);
// The scan north up through the fit, as a georeferenced GeoTIFF.
void ExportGeoTiffOf(CImageDoc& doc);
