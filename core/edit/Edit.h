// One change a user makes to the control points, the fit or the features,
// held as a value with everything it replaces: it can be applied, taken
// back and applied again, and written down as it is (a journal). The
// document changes for a user's edit only through ApplyEdit.
#pragma once

#include <string>
#include <vector>

#include "core/georef/GeoRefArray.h"
#include "core/shape/Shape.h"

enum EditKind
{
    EDIT_ADD_POINT,             // m_point inserted at m_nIndex
    EDIT_DELETE_POINT,          // m_point, at m_nIndex, removed
    EDIT_CHANGE_POINT,          // the point at m_nIndex goes from m_pointBefore to m_point (texts or pixel)
    EDIT_DELETE_ALL_POINTS,     // m_points, the whole list, removed
    EDIT_SET_FIT_MODEL,         // from m_nFitModelBefore to m_nFitModel
    EDIT_ADD_VERTEX,            // m_vertex appended to the feature being digitised
    EDIT_REMOVE_VERTEX,         // m_vertex, its last vertex, removed
    EDIT_FINISH_FEATURE,        // the feature being digitised (m_shape) stored as m_feature at m_nIndex
    EDIT_DISCARD_FEATURE,       // the feature being digitised (m_shape) thrown away
    EDIT_DELETE_ALL_FEATURES,   // m_features, every finished feature, removed
    EDIT_RENAME_FEATURE,        // feature m_nIndex renamed from m_strNameBefore to m_feature's name
    EDIT_DELETE_FEATURE,        // m_feature, at m_nIndex, removed
};

struct CEdit
{
    int m_nKind = EDIT_ADD_POINT;
    int m_nIndex = -1;
    CGeoRefPoint m_point;
    CGeoRefPoint m_pointBefore;
    std::vector<CGeoRefPoint> m_points;
    int m_nFitModel = FIT_ROTATION_SCALES;
    int m_nFitModelBefore = FIT_ROTATION_SCALES;
    CShapeVertex m_vertex = {0, 0};
    CShape m_shape;     // the feature being digitised as it was before the edit
    CShape m_feature;   // a finished feature as the list holds it (a rename: its new name only)
    CShapeArray m_features;
    int m_nShapeType = SHAPE_POLYLINE;   // what the features are digitised as
    std::string m_strNameBefore;

    static CEdit AddPoint(int nIndex, const CGeoRefPoint& point);
    static CEdit DeletePoint(int nIndex, const CGeoRefPoint& point);
    static CEdit ChangePoint(int nIndex, const CGeoRefPoint& before, const CGeoRefPoint& after);
    static CEdit DeleteAllPoints(const std::vector<CGeoRefPoint>& points);
    static CEdit SetFitModel(int nBefore, int nAfter);
    static CEdit AddVertex(int x, int y);
    static CEdit RemoveVertex(const CShapeVertex& vertex);
    // The feature being digitised, named; a polygon's ring is closed with
    // a copy of its first vertex, as it is stored.
    static CEdit FinishFeature(const CShape& current, int nShapeType, const std::string& strName, int nIndex);
    static CEdit DiscardFeature(const CShape& current);
    static CEdit DeleteAllFeatures(const CShapeArray& features, int nShapeType);
    static CEdit RenameFeature(int nIndex, const CShape& feature, const std::string& strName);
    static CEdit DeleteFeature(int nIndex, const CShape& feature);
};

// What edits change: the document's georeference, its finished features and
// the feature being digitised.
struct CEditTarget
{
    CGeoRefArray& geoRef;
    CShapeArray& features;
    CShape& current;
};

// Whether an edit changes the control points or the fit model (and so the
// fit, the point file or the image settings), or the finished features.
bool EditChangesGeoreference(int nKind);
bool EditChangesFeatures(int nKind);

// Applies the edit (bForward) or takes it back. A change of the control
// points or of the model refits at once. False, with nothing changed, when
// the edit does not match the target (an index that is not there).
bool ApplyEdit(const CEdit& edit, bool bForward, CEditTarget& target);
