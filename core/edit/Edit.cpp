#include "core/edit/Edit.h"

#include "core/journal/JournalRecord.h"

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

bool InsertFeature(CShapeArray& features, int nIndex, const CShape& feature)
{
    if (nIndex < 0 || nIndex > features.GetSize())
        return false;
    features.InsertAt(nIndex, feature);
    return true;
}

bool RemoveFeature(CShapeArray& features, int nIndex)
{
    if (nIndex < 0 || nIndex >= features.GetSize())
        return false;
    features.RemoveAt(nIndex);
    return true;
}

// A feature put in at nIndex, or taken out of it, as the journal replays it.
void InsertOrDelete(bool bInsert, int nIndex, const CShape& feature, CJournalRecord* pRecord)
{
    pRecord->nIndex = nIndex;
    pRecord->nKind = bInsert ? JOURNAL_INSERT : JOURNAL_DELETE;
    if (bInsert)
        pRecord->shape = feature;
}

}   // namespace

bool CAddPointEdit::Apply(bool bForward, CEditTarget& target) const
{
    std::vector<CGeoRefPoint>& points = target.geoRef.m_points;
    return bForward ? InsertPoint(points, m_nIndex, m_point) : RemovePoint(points, m_nIndex);
}

bool CDeletePointEdit::Apply(bool bForward, CEditTarget& target) const
{
    std::vector<CGeoRefPoint>& points = target.geoRef.m_points;
    return bForward ? RemovePoint(points, m_nIndex) : InsertPoint(points, m_nIndex, m_point);
}

EditName CChangePointEdit::Name() const
{
    const bool moved = m_point.m_nPixelX != m_pointBefore.m_nPixelX || m_point.m_nPixelY != m_pointBefore.m_nPixelY;
    return moved ? EditName::MovePoint : EditName::EditPoint;
}

bool CChangePointEdit::Apply(bool bForward, CEditTarget& target) const
{
    std::vector<CGeoRefPoint>& points = target.geoRef.m_points;
    if (m_nIndex < 0 || m_nIndex >= static_cast<int>(points.size()))
        return false;
    points[m_nIndex] = bForward ? m_point : m_pointBefore;
    return true;
}

bool CDeleteAllPointsEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (bForward)
        target.geoRef.m_points.clear();
    else
        target.geoRef.m_points = m_points;
    return true;
}

bool CSetFitModelEdit::Apply(bool bForward, CEditTarget& target) const
{
    target.geoRef.m_nFitModel = bForward ? m_nFitModel : m_nFitModelBefore;
    return true;
}

bool CSwitchPointEdit::Apply(bool bForward, CEditTarget& target) const
{
    std::vector<CGeoRefPoint>& points = target.geoRef.m_points;
    if (m_nIndex < 0 || m_nIndex >= static_cast<int>(points.size()))
        return false;
    points[m_nIndex].m_bOff = bForward ? m_bOff : !m_bOff;
    return true;
}

bool CReplacePointsEdit::Apply(bool bForward, CEditTarget& target) const
{
    target.geoRef.m_points = bForward ? m_points : m_pointsBefore;
    return true;
}

bool CAddVertexEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (bForward)
        target.current.Add(m_vertex.x, m_vertex.y);
    else
        RemoveLastVertex(target.current);
    return true;
}

bool CRemoveVertexEdit::Apply(bool bForward, CEditTarget& target) const
{
    return CAddVertexEdit{m_vertex}.Apply(!bForward, target);
}

bool CStartHoleEdit::Apply(bool bForward, CEditTarget& target) const
{
    CShape& current = target.current;
    const std::vector<int>& holes = current.HoleStarts();
    if (bForward)
    {
        if (current.GetSize() != m_nAt)
            return false;
        current.StartHole();
        return true;
    }
    if (holes.empty() || holes.back() != m_nAt || current.GetSize() != m_nAt)
        return false;
    current.DropLastHole();
    return true;
}

CFinishFeatureEdit::CFinishFeatureEdit(const CShape& current, ShapeType nShapeType, const std::string& strName,
                                       int nIndex, std::vector<FieldValue> values)
    : m_nIndex(nIndex), m_nShapeType(nShapeType), m_shape(current),
      m_feature(FinishedShape(current, nShapeType, strName))
{
    m_feature.m_values = std::move(values);
}

bool CFinishFeatureEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (bForward)
    {
        if (!InsertFeature(target.features, m_nIndex, m_feature))
            return false;
        target.current.m_strName = m_feature.m_strName;
        target.current.RemoveAll();
        return true;
    }
    if (!RemoveFeature(target.features, m_nIndex))
        return false;
    // The vertices come back as they were clicked, for more clicks or
    // further undo.
    target.current = m_shape;
    return true;
}

bool CFinishFeatureEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    InsertOrDelete(bForward, m_nIndex, m_feature, pRecord);
    if (bForward)
        pRecord->nShapeType = m_nShapeType;
    return true;
}

bool CDiscardFeatureEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (bForward)
        target.current.RemoveAll();
    else
        target.current = m_shape;
    return true;
}

bool CDeleteAllFeaturesEdit::Apply(bool bForward, CEditTarget& target) const
{
    // The fields stay for the features digitised next.
    CShapeArray none;
    none.SetFields(target.features.Fields());
    target.features = bForward ? std::move(none) : m_features;
    if (!bForward)
        target.nShapeType = m_nShapeType;
    return true;
}

bool CDeleteAllFeaturesEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    // Every feature coming back is the whole list again.
    if (!bForward)
        return false;
    pRecord->nKind = JOURNAL_CLEAR;
    return true;
}

CRenameFeatureEdit::CRenameFeatureEdit(int nIndex, const CShape& feature, const std::string& strName)
    : m_nIndex(nIndex), m_strNameBefore(feature.m_strName), m_strName(strName)
{
}

bool CRenameFeatureEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (m_nIndex < 0 || m_nIndex >= target.features.GetSize())
        return false;
    target.features.SetName(m_nIndex, bForward ? m_strName : m_strNameBefore);
    return true;
}

bool CRenameFeatureEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    pRecord->nKind = JOURNAL_RENAME;
    pRecord->nIndex = m_nIndex;
    pRecord->shape.m_strName = bForward ? m_strName : m_strNameBefore;
    return true;
}

bool CDeleteFeatureEdit::Apply(bool bForward, CEditTarget& target) const
{
    return bForward ? RemoveFeature(target.features, m_nIndex) : InsertFeature(target.features, m_nIndex, m_feature);
}

bool CDeleteFeatureEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    InsertOrDelete(!bForward, m_nIndex, m_feature, pRecord);
    return true;
}

bool CMoveFeatureEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (m_nIndex < 0 || m_nIndex >= target.features.GetSize())
        return false;
    const int sign = bForward ? 1 : -1;
    // Only the vertices move: name, record, values and rings stay the feature's.
    std::vector<CShapeVertex> moved = target.features.GetAt(m_nIndex).Vertices();
    for (CShapeVertex& v : moved)
    {
        v.x += sign * m_nDx;
        v.y += sign * m_nDy;
    }
    target.features.SetVertices(m_nIndex, std::move(moved));
    return true;
}

bool CFeatureVerticesEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (m_nIndex < 0 || m_nIndex >= target.features.GetSize() ||
        target.features.GetAt(m_nIndex).Vertices() != (bForward ? m_before : m_after))
        return false;
    target.features.SetVertices(m_nIndex, bForward ? m_after : m_before);
    return true;
}

bool CFeatureVerticesEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    pRecord->nKind = JOURNAL_VERTICES;
    pRecord->nIndex = m_nIndex;
    pRecord->shape.SetVertices(bForward ? m_after : m_before);
    return true;
}

bool CCurrentVerticesEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (target.current.Vertices() != (bForward ? m_before : m_after))
        return false;
    target.current.SetVertices(bForward ? m_after : m_before);
    return true;
}

bool CSetValueEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (m_nIndex < 0 || m_nIndex >= target.features.GetSize() || m_nField < 0 ||
        m_nField >= static_cast<int>(target.features.Fields().size()))
        return false;
    target.features.SetValue(m_nIndex, m_nField, bForward ? m_after : m_before);
    return true;
}

bool CSetValueEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    pRecord->nKind = JOURNAL_VALUE;
    pRecord->nIndex = m_nIndex;
    pRecord->nField = m_nField;
    pRecord->value = bForward ? m_after : m_before;
    return true;
}

namespace
{
bool InsertField(CShapeArray& features, int nField, const CAttributeField& field,
                 const std::vector<FieldValue>& column = std::vector<FieldValue>())
{
    if (nField < 0 || nField > static_cast<int>(features.Fields().size()))
        return false;
    features.InsertField(nField, field, column);
    return true;
}

bool RemoveField(CShapeArray& features, int nField)
{
    if (nField < 0 || nField >= static_cast<int>(features.Fields().size()))
        return false;
    features.RemoveField(nField);
    return true;
}
}   // namespace

bool CAddFieldEdit::Apply(bool bForward, CEditTarget& target) const
{
    return bForward ? InsertField(target.features, m_nField, m_field) : RemoveField(target.features, m_nField);
}

bool CRemoveFieldEdit::Apply(bool bForward, CEditTarget& target) const
{
    return bForward ? RemoveField(target.features, m_nField)
                    : InsertField(target.features, m_nField, m_field, m_column);
}

bool CChangeFieldEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (m_nField < 0 || m_nField >= static_cast<int>(target.features.Fields().size()))
        return false;
    target.features.ChangeField(m_nField, bForward ? m_after : m_before);
    return true;
}

EditName CEdit::Name() const
{
    return std::visit([](const auto& kind) { return kind.Name(); }, m_kind);
}

EditScope CEdit::Scope() const
{
    return std::visit([](const auto& kind) { return kind.kScope; }, m_kind);
}

bool CEdit::Apply(bool bForward, CEditTarget& target) const
{
    if (!std::visit([&](const auto& kind) { return kind.Apply(bForward, target); }, m_kind))
        return false;
    if (Scope() == EditScope::Georeference)
        target.geoRef.Refit();
    return true;
}

bool CEdit::JournalRecord(bool bForward, CJournalRecord* pRecord) const
{
    return std::visit(
        [&](const auto& kind) {
            if constexpr (std::decay_t<decltype(kind)>::kScope == EditScope::Features)
                return kind.JournalRecord(bForward, pRecord);
            else
                return false;
        },
        m_kind);
}
