#include "core/shape/Shape.h"

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
    if (nShapeType == SHAPE_POLYGON && finished.GetSize() > 0)
    {
        const CShapeVertex first = finished.GetAt(0);
        finished.Add(first.x, first.y);
    }
    return finished;
}

void RemoveLastVertex(CShape& current)
{
    if (current.GetSize() > 0)
        current.RemoveAt(current.GetSize() - 1, 1);
}
