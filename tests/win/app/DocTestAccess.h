// Set-up for GUI tests that puts a document straight into a state (an image
// without a file, points or features without their edits), as no user can.
#pragma once

#include <utility>

#include "app/ImageDoc.h"
#include "app/DocumentCommands.h"

class CImageSessionTestAccess
{
public:
    static CGeoRefArray& GeoRef(CImageSession& session) { return session.m_shapeFile.m_geoRef; }
    static CShapeArray& Features(CImageSession& session) { return session.m_shapeFile.m_shapes; }
    static void SetMode(CImageSession& session, ViewMode nMode) { session.m_nMode = nMode; }
    static void SetShapeType(CImageSession& session, ShapeType nShapeType) { session.m_nShapeType = nShapeType; }
    static void SetUnsaved(CImageSession& session, bool bUnsaved) { session.m_bUnsaved = bUnsaved; }
    static CShape& Current(CImageSession& session) { return session.m_current; }
    static void ClearCurrent(CImageSession& session) { session.m_current.RemoveAll(); }
    static void SetNorthUp(CImageSession& session) { session.m_bNorthUp = true; }
    static CSessionOutcome Do(CImageSession& session, CEdit edit) { return session.Do(std::move(edit)); }
};

class CImageDocTestAccess
{
public:
    // An edit as the history keeps it, followed as any verb is.
    static bool DoEdit(CImageDoc& doc, CEdit edit)
    {
        return Follow(doc, CImageSessionTestAccess::Do(doc.m_session, std::move(edit)));
    }
    static CRgbImage& Image(CImageDoc& doc) { return doc.m_image; }
    // The pixels of a north-up copy, which the session then counts as made.
    static CTransposedImage& NorthUp(CImageDoc& doc)
    {
        CImageSessionTestAccess::SetNorthUp(doc.m_session);
        if (!doc.m_pTransposed)
            doc.m_pTransposed = std::make_shared<CTransposedImage>();
        return *doc.m_pTransposed;
    }
};

inline CGeoRefArray& TestGeoRef(CImageDoc* pDoc) { return CImageSessionTestAccess::GeoRef(pDoc->Session()); }
inline CShapeArray& TestFeatures(CImageDoc* pDoc) { return CImageSessionTestAccess::Features(pDoc->Session()); }
inline void SetTestMode(CImageDoc* pDoc, ViewMode nMode) { CImageSessionTestAccess::SetMode(pDoc->Session(), nMode); }
