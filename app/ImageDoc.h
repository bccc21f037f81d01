// The document: the decoded JPEG, the finished features with the control
// points, the unsaved-features flag and the interaction mode.
#pragma once

#include "app/ImageData.h"
#include "shape/ShapeFile.h"
#include "winfw/Document.h"

class CImageDoc : public CDocument
{
public:
    CImageDoc();
    ~CImageDoc() override;

    void Serialize(bool bStoring) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pszPathName) override;
    BOOL SaveModified() override;
    void ReportOpenFailure(const char* pszPathName) override;

    // Save As (File menu, and Ctrl+S): writes the features as a shapefile.
    // Returns TRUE when the files were written; only then do the features
    // count as saved.
    BOOL OnFileSaveAs();

    ImageData m_image;
    CShapeFile m_shapeFile;
    int m_bShapesModified;
    int m_nMode;

private:
    void ReleaseImage();

    // The string telling why the last open failed: IDS_UNABLE_TO_OPEN for
    // a file we cannot read or that is not a .jpg, IDS_JPG_READ_ERROR for
    // a .jpg the decoder refused (damaged, or too large to hold).
    unsigned m_nOpenFailureId = 0;
};

// Whether the path ends in ".jpg", in any letter case.
bool HasJpgExtension(const char* pszPathName);
