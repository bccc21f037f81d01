#include "core/edit/Edit.h"

CEdit CEdit::AddPoint(int nIndex, const CGeoRefPoint& point)
{
    CEdit edit;
    edit.m_nKind = EDIT_ADD_POINT;
    edit.m_nIndex = nIndex;
    edit.m_point = point;
    return edit;
}

CEdit CEdit::DeletePoint(int nIndex, const CGeoRefPoint& point)
{
    CEdit edit = AddPoint(nIndex, point);
    edit.m_nKind = EDIT_DELETE_POINT;
    return edit;
}

CEdit CEdit::ChangePoint(int nIndex, const CGeoRefPoint& before, const CGeoRefPoint& after)
{
    CEdit edit = AddPoint(nIndex, after);
    edit.m_nKind = EDIT_CHANGE_POINT;
    edit.m_pointBefore = before;
    return edit;
}

CEdit CEdit::DeleteAllPoints(const std::vector<CGeoRefPoint>& points)
{
    CEdit edit;
    edit.m_nKind = EDIT_DELETE_ALL_POINTS;
    edit.m_points = points;
    return edit;
}

CEdit CEdit::SetFitModel(int nBefore, int nAfter)
{
    CEdit edit;
    edit.m_nKind = EDIT_SET_FIT_MODEL;
    edit.m_nFitModelBefore = nBefore;
    edit.m_nFitModel = nAfter;
    return edit;
}

CEdit CEdit::AddVertex(int x, int y)
{
    CEdit edit;
    edit.m_nKind = EDIT_ADD_VERTEX;
    edit.m_vertex = CShapeVertex{x, y};
    return edit;
}

CEdit CEdit::RemoveVertex(const CShapeVertex& vertex)
{
    CEdit edit = AddVertex(vertex.x, vertex.y);
    edit.m_nKind = EDIT_REMOVE_VERTEX;
    return edit;
}

CEdit CEdit::FinishFeature(const CShape& current, int nShapeType, const std::string& strName, int nIndex)
{
    CEdit edit;
    edit.m_nKind = EDIT_FINISH_FEATURE;
    edit.m_nIndex = nIndex;
    edit.m_nShapeType = nShapeType;
    edit.m_shape = current;
    edit.m_feature = FinishedShape(current, nShapeType, strName);
    return edit;
}

CEdit CEdit::DiscardFeature(const CShape& current)
{
    CEdit edit;
    edit.m_nKind = EDIT_DISCARD_FEATURE;
    edit.m_shape = current;
    return edit;
}

CEdit CEdit::DeleteAllFeatures(const CShapeArray& features, int nShapeType)
{
    CEdit edit;
    edit.m_nKind = EDIT_DELETE_ALL_FEATURES;
    edit.m_nShapeType = nShapeType;
    edit.m_features = features;
    return edit;
}

CEdit CEdit::RenameFeature(int nIndex, const CShape& feature, const std::string& strName)
{
    CEdit edit;
    edit.m_nKind = EDIT_RENAME_FEATURE;
    edit.m_nIndex = nIndex;
    edit.m_strNameBefore = feature.m_strName;
    edit.m_feature.m_strName = strName;
    return edit;
}

CEdit CEdit::DeleteFeature(int nIndex, const CShape& feature)
{
    CEdit edit;
    edit.m_nKind = EDIT_DELETE_FEATURE;
    edit.m_nIndex = nIndex;
    edit.m_feature = feature;
    return edit;
}

bool EditChangesGeoreference(int nKind)
{
    return nKind == EDIT_ADD_POINT || nKind == EDIT_DELETE_POINT || nKind == EDIT_CHANGE_POINT ||
           nKind == EDIT_DELETE_ALL_POINTS || nKind == EDIT_SET_FIT_MODEL;
}

bool EditChangesFeatures(int nKind)
{
    return nKind == EDIT_FINISH_FEATURE || nKind == EDIT_DELETE_ALL_FEATURES || nKind == EDIT_RENAME_FEATURE ||
           nKind == EDIT_DELETE_FEATURE;
}

namespace
{

bool InsertPoint(std::vector<CGeoRefPoint>& points, int nIndex, const CGeoRefPoint& point)
{
    if (nIndex < 0 || nIndex > static_cast<int>(points.size()))
        return false;
    points.insert(points.begin() + nIndex, point);
    return true;
}

bool RemovePoint(std::vector<CGeoRefPoint>& points, int nIndex)
{
    if (nIndex < 0 || nIndex >= static_cast<int>(points.size()))
        return false;
    points.erase(points.begin() + nIndex);
    return true;
}

bool ApplyToPoints(const CEdit& edit, bool bForward, CGeoRefArray& geoRef)
{
    std::vector<CGeoRefPoint>& points = geoRef.m_points;
    switch (edit.m_nKind)
    {
    case EDIT_ADD_POINT:
        return bForward ? InsertPoint(points, edit.m_nIndex, edit.m_point) : RemovePoint(points, edit.m_nIndex);
    case EDIT_DELETE_POINT:
        return bForward ? RemovePoint(points, edit.m_nIndex) : InsertPoint(points, edit.m_nIndex, edit.m_point);
    case EDIT_CHANGE_POINT:
        if (edit.m_nIndex < 0 || edit.m_nIndex >= static_cast<int>(points.size()))
            return false;
        points[edit.m_nIndex] = bForward ? edit.m_point : edit.m_pointBefore;
        return true;
    case EDIT_DELETE_ALL_POINTS:
        if (bForward)
            points.clear();
        else
            points = edit.m_points;
        return true;
    case EDIT_SET_FIT_MODEL: geoRef.m_nFitModel = bForward ? edit.m_nFitModel : edit.m_nFitModelBefore; return true;
    }
    return false;
}

bool ApplyToFeatures(const CEdit& edit, bool bForward, CShapeArray& features, CShape& current)
{
    const int count = features.GetSize();
    switch (edit.m_nKind)
    {
    case EDIT_ADD_VERTEX:
        if (bForward)
            current.Add(edit.m_vertex.x, edit.m_vertex.y);
        else
            RemoveLastVertex(current);
        return true;
    case EDIT_REMOVE_VERTEX:
        if (bForward)
            RemoveLastVertex(current);
        else
            current.Add(edit.m_vertex.x, edit.m_vertex.y);
        return true;
    case EDIT_FINISH_FEATURE:
        if (bForward)
        {
            if (edit.m_nIndex < 0 || edit.m_nIndex > count)
                return false;
            features.InsertAt(edit.m_nIndex, edit.m_feature);
            current.m_strName = edit.m_feature.m_strName;
            current.RemoveAll();
        }
        else
        {
            if (edit.m_nIndex < 0 || edit.m_nIndex >= count)
                return false;
            // The vertices come back as they were clicked, for more clicks
            // or further undo.
            features.RemoveAt(edit.m_nIndex);
            current = edit.m_shape;
        }
        return true;
    case EDIT_DISCARD_FEATURE:
        if (bForward)
            current.RemoveAll();
        else
            current = edit.m_shape;
        return true;
    case EDIT_DELETE_ALL_FEATURES: features = bForward ? CShapeArray() : edit.m_features; return true;
    case EDIT_RENAME_FEATURE:
        if (edit.m_nIndex < 0 || edit.m_nIndex >= count)
            return false;
        features.SetName(edit.m_nIndex, bForward ? edit.m_feature.m_strName : edit.m_strNameBefore);
        return true;
    case EDIT_DELETE_FEATURE:
        if (bForward ? (edit.m_nIndex < 0 || edit.m_nIndex >= count) : (edit.m_nIndex < 0 || edit.m_nIndex > count))
            return false;
        if (bForward)
            features.RemoveAt(edit.m_nIndex);
        else
            features.InsertAt(edit.m_nIndex, edit.m_feature);
        return true;
    }
    return false;
}

}   // namespace

bool ApplyEdit(const CEdit& edit, bool bForward, CEditTarget& target)
{
    if (EditChangesGeoreference(edit.m_nKind))
    {
        if (!ApplyToPoints(edit, bForward, target.geoRef))
            return false;
        target.geoRef.Refit();
        return true;
    }
    return ApplyToFeatures(edit, bForward, target.features, target.current);
}
