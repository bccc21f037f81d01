// The document: the decoded scan and its resampled north-up copy, and the
// session of the image (its points, features, mode and history), whose
// verbs change it and whose outcomes the document follows.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "winbase/Win32Files.h"
#include "core/raster/ScanFile.h"
#include "core/raster/RgbImage.h"
#include "core/raster/Transpose.h"
#include "core/session/ImageSession.h"
#include "core/view/ShownGrid.h"
#include "winfw/Document.h"

// What the views are told after the document changed (OnUpdate's hint).
enum DocumentHint
{
    HINT_NEW_IMAGE = 0,   // the framework's own: start over on a new image
    HINT_EDITED,          // an edit, undone or redone: draw again
    HINT_MODE_CHANGED,    // an undo or redo changed the mode: lay out again
};

class CView;

class CImageDoc : public CDocument
{
public:
    CImageDoc();
    void Serialize(bool bStoring) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pszPathName) override;
    // Why the last open failed: CannotOpen for a file that cannot be read
    // or has no scan's name (IsScanFileName), else the decoder's status.
    // Ok after an open.
    const ScanReadStatus& OpenStatus() const { return m_openStatus; }
    // What the image just opened has to tell beside the journal's question
    // (control points that its systems cannot carry), once it is on show.
    std::vector<CSessionMessage> TakeOpenNotices() { return std::move(m_openNotices); }

    // The image's state: readers, and the verbs that change it. Every
    // outcome of a verb goes to Follow (DocumentCommands.h).
    const CImageSession& Session() const { return m_session; }
    CImageSession& Session() { return m_session; }
    // What a verb changed: the north-up copy goes when the session dropped
    // it; after an edit, or the content replaced (a restore), the tool
    // windows and the views except pSender are told.
    void UpdateFromSession(const CSessionOutcome& outcome, CView* pSender = nullptr);

    const CRgbImage& Image() const { return m_image; }
    // How the image on show lies on the scan's full-resolution grid, which
    // control points and features are in: reduced when the scan was too
    // large for the process to hold whole.
    const CShownGrid& Grid() const { return m_grid; }
    // The bytes the full scan needed, for telling why it is shown reduced.
    unsigned long long FullScanBytes() const { return m_cbFullScan; }
    // The image of Transpose, kept while the session says it may be shown
    // again as it is.
    const CTransposedImage& NorthUp() const;
    // Its pixels, for a holder that may outlive it here (the clipboard's
    // promise of a Copy); null when there is no image.
    std::shared_ptr<const unsigned char> SharedNorthUpPixels() const;
    // Shows the north-up copy: pMade, just made, or else the one kept.
    void ShowNorthUp(CTransposedImage* pMade, CView* pSender);

    // Called after every edit, undo or redo (with the edit) and whenever
    // the control points were replaced (an open, a New; with null).
    int AddChangeListener(std::function<void(const CEdit* pEdit)> listener);
    void RemoveChangeListener(int nID);

    // The pixel size last chosen for this image's export; 0 while it is
    // the scan's own.
    double GeoTiffPixelSize() const { return m_dGeoTiffPixelSize; }
    void SetGeoTiffPixelSize(double dPixelSize) { m_dGeoTiffPixelSize = dPixelSize; }

private:
    friend class CImageDocTestAccess;

    void TellChangeListeners(const CEdit* pEdit);

    CImageSession m_session{Win32Files()};
    CRgbImage m_image;
    CShownGrid m_grid;
    unsigned long long m_cbFullScan = 0;
    std::shared_ptr<CTransposedImage> m_pTransposed;
    double m_dGeoTiffPixelSize = 0.0;

    ScanReadStatus m_openStatus;
    std::vector<CSessionMessage> m_openNotices;
    std::map<int, std::function<void(const CEdit*)>> m_changeListeners;
    int m_nNextListener = 1;
};

// Whether the image on show can be resampled (Transpose, the GeoTIFF
// export) with geoRef's fit; a scan shown reduced with a fit that is not
// affine cannot, and the user is told why.
bool CanResampleShown(const CImageDoc& doc, const CGeoRefArray& geoRef);
