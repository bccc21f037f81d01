#include "core/shape/VertexEdit.h"

bool IsClosedRing(const std::vector<CShapeVertex>& vertices, ShapeType nShapeType)
{
    return nShapeType == SHAPE_POLYGON && vertices.size() >= 2 && vertices.front() == vertices.back();
}

int EditableVertexCount(const std::vector<CShapeVertex>& vertices, ShapeType nShapeType)
{
    const int count = static_cast<int>(vertices.size());
    return IsClosedRing(vertices, nShapeType) ? count - 1 : count;
}

int MinimumVertexCount(ShapeType nShapeType)
{
    switch (nShapeType)
    {
    case SHAPE_POINT: return 1;
    case SHAPE_POLYLINE: return 2;
    case SHAPE_POLYGON: return 3;
    }
    return 1;
}

VertexEditResult MoveVertex(std::vector<CShapeVertex>& vertices, ShapeType nShapeType, int nVertex, CShapeVertex to)
{
    if (nVertex < 0 || nVertex >= EditableVertexCount(vertices, nShapeType))
        return VertexEditResult::NoSuchVertex;
    if (nVertex == 0 && IsClosedRing(vertices, nShapeType))
        vertices.back() = to;
    vertices[nVertex] = to;
    return VertexEditResult::Done;
}

VertexEditResult InsertVertex(std::vector<CShapeVertex>& vertices, ShapeType nShapeType, int nSegment, CShapeVertex at)
{
    // Segments join stored neighbours; a ring's last one ends at its closing copy.
    if (nShapeType == SHAPE_POINT || nSegment < 0 || nSegment + 1 >= static_cast<int>(vertices.size()))
        return VertexEditResult::NoSuchVertex;
    vertices.insert(vertices.begin() + nSegment + 1, at);
    return VertexEditResult::Done;
}

VertexEditResult DeleteVertex(std::vector<CShapeVertex>& vertices, ShapeType nShapeType, int nVertex)
{
    const int editable = EditableVertexCount(vertices, nShapeType);
    if (nVertex < 0 || nVertex >= editable)
        return VertexEditResult::NoSuchVertex;
    if (editable <= MinimumVertexCount(nShapeType))
        return VertexEditResult::TooFew;
    const bool ring = IsClosedRing(vertices, nShapeType);
    vertices.erase(vertices.begin() + nVertex);
    // The ring closes on its new first corner.
    if (ring && nVertex == 0)
        vertices.back() = vertices.front();
    return VertexEditResult::Done;
}
