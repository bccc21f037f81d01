// Saving the image's features as a shapefile, and the question before
// unsaved ones go.
#pragma once

#include <string>

#include "core/session/ImageSession.h"

// Save As (File menu): asks for the path and writes the
// features; strImagePath, the opened image, is never written over. True
// when the files were written; only then do the features count as saved.
bool SaveFeaturesAs(CImageSession& session, const std::string& strImagePath);
// File > Save (Ctrl+S): writes the features back to the file they were
// opened from or last saved as, without asking; Save As when there is none.
bool SaveFeatures(CImageSession& session, const std::string& strImagePath);
// Before unsaved features go: asks whether to save them (Yes: Save As, or
// Save for features opened from a file). False keeps the document (a Yes
// whose save failed or was cancelled).
bool AskToSaveFeatures(CImageSession& session, const std::string& strImagePath);
// What Save As writes beside the shapefile: the .prj of the image's
// system, and the .cpg of the code page the names are typed in.
CShapeSideFiles ShapeSideFiles(const CImageSession& session);
