#include "core/shape/Shape.h"

#include <algorithm>
#include <utility>

int CShape::Add(int x, int y)
{
    m_vertices.push_back(CShapeVertex{x, y});
    return static_cast<int>(m_vertices.size()) - 1;
}

void CShape::RemoveAt(int nIndex, int nCount)
{
    if (nIndex < 0 || nCount <= 0 || nIndex >= GetSize())
        return;
    const int end = (nCount > GetSize() - nIndex) ? GetSize() : nIndex + nCount;
    m_vertices.erase(m_vertices.begin() + nIndex, m_vertices.begin() + end);
}

bool CShape::StartsHole(int nIndex) const { return std::binary_search(m_holes.begin(), m_holes.end(), nIndex); }

int CShapeArray::Add(const CShape& shape)
{
    m_shapes.push_back(shape);
    return static_cast<int>(m_shapes.size()) - 1;
}

int CShapeArray::Add(CShape&& shape)
{
    m_shapes.push_back(std::move(shape));
    return static_cast<int>(m_shapes.size()) - 1;
}

void CShapeArray::InsertAt(int nIndex, const CShape& shape)
{
    if (nIndex < 0 || nIndex > GetSize())
        return;
    m_shapes.insert(m_shapes.begin() + nIndex, shape);
}

void CShapeArray::RemoveAt(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetSize())
        return;
    m_shapes.erase(m_shapes.begin() + nIndex);
}

void CShapeArray::SetName(int nIndex, const std::string& strName)
{
    if (nIndex >= 0 && nIndex < GetSize())
        m_shapes[nIndex].m_strName = strName;
}

void CShapeArray::SetVertices(int nIndex, std::vector<CShapeVertex> vertices)
{
    if (nIndex >= 0 && nIndex < GetSize())
        m_shapes[nIndex].SetVertices(std::move(vertices));
}

CShape FinishedShape(const CShape& current, ShapeType nShapeType, const std::string& strName)
{
    CShape finished(current);
    finished.m_strName = strName;
    if (nShapeType != SHAPE_POLYGON || finished.GetSize() == 0)
        return finished;
    std::vector<CShapeVertex> vertices;
    std::vector<int> holes;
    for (int r = 0; r < current.RingCount(); ++r)
    {
        if (current.RingBegin(r) == current.RingEnd(r))
            continue;
        if (r > 0)
            holes.push_back(static_cast<int>(vertices.size()));
        vertices.insert(vertices.end(), current.Vertices().begin() + current.RingBegin(r),
                        current.Vertices().begin() + current.RingEnd(r));
        vertices.push_back(current.GetAt(current.RingBegin(r)));
    }
    finished.SetVertices(std::move(vertices));
    finished.SetHoleStarts(std::move(holes));
    return finished;
}

void RemoveLastVertex(CShape& current)
{
    if (current.GetSize() > 0)
        current.RemoveAt(current.GetSize() - 1, 1);
}

void CShapeArray::InsertField(int nField, const CAttributeField& field, const std::vector<FieldValue>& column)
{
    if (nField < 0 || nField > static_cast<int>(m_fields.size()))
        return;
    m_fields.insert(m_fields.begin() + nField, field);
    for (size_t i = 0; i < m_shapes.size(); ++i)
    {
        std::vector<FieldValue>& values = m_shapes[i].m_values;
        if (values.size() < size_t(nField))
            values.resize(size_t(nField));
        values.insert(values.begin() + nField, i < column.size() ? column[i] : FieldValue());
    }
}

void CShapeArray::RemoveField(int nField)
{
    if (nField < 0 || nField >= static_cast<int>(m_fields.size()))
        return;
    m_fields.erase(m_fields.begin() + nField);
    for (CShape& shape : m_shapes)
        if (nField < static_cast<int>(shape.m_values.size()))
            shape.m_values.erase(shape.m_values.begin() + nField);
}

void CShapeArray::ChangeField(int nField, const CAttributeField& field)
{
    if (nField >= 0 && nField < static_cast<int>(m_fields.size()))
        m_fields[nField] = field;
}

std::vector<FieldValue> CShapeArray::Column(int nField) const
{
    std::vector<FieldValue> column;
    column.reserve(m_shapes.size());
    for (const CShape& shape : m_shapes)
        column.push_back(shape.Value(nField));
    return column;
}

void CShapeArray::SetValue(int nIndex, int nField, const FieldValue& value)
{
    if (nIndex < 0 || nIndex >= GetSize() || nField < 0 || nField >= static_cast<int>(m_fields.size()))
        return;
    std::vector<FieldValue>& values = m_shapes[nIndex].m_values;
    if (values.size() < m_fields.size())
        values.resize(m_fields.size());
    values[nField] = value;
}

std::vector<FieldValue> CShapeArray::NewFeatureValues() const
{
    std::vector<FieldValue> values;
    for (size_t f = 0; f < m_fields.size(); ++f)
        values.push_back(m_fields[f].bReuseLast && !m_shapes.empty() ? m_shapes.back().Value(static_cast<int>(f))
                                                                     : m_fields[f].defaultValue);
    return values;
}

void CShapeArray::SetValuesOf(int nIndex, std::vector<FieldValue> values)
{
    if (nIndex >= 0 && nIndex < GetSize())
        m_shapes[nIndex].m_values = std::move(values);
}
