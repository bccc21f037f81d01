// File > Import/Export Control Points, Save Scan World File and Export Fit
// Report: each asks for a file, calls the core's reader or writer, and
// tells how it went. The formats themselves are core/georef's.
#pragma once

#include "app/ImageDoc.h"

// Whether the points allow the chosen model (the fit is made when a
// command needs it), in either mode.
bool CanExportFitOf(const CImageSession& session);
// Whether the chosen model is affine and fits, and the scan has a file.
bool CanSaveScanWorldFile(const CImageSession& session);
// Whether the IIIF annotation can be written: a fit in geographic WGS 84.
bool CanExportIiif(const CImageSession& session);

void ImportQgisPoints(CImageDoc& doc);
void ExportQgisPoints(CImageDoc& doc);
// The VRT with its GCP list, and the GDAL command lines on the clipboard.
void ExportGdalVrt(CImageDoc& doc);
void ExportIiifAnnotation(CImageDoc& doc);
void SaveScanWorldFile(CImageDoc& doc);
void ExportFitReport(CImageDoc& doc);
