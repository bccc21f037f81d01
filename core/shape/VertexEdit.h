// Editing the vertices of a finished feature. A polygon is stored as a
// closed ring whose last vertex repeats the first; the user sees and edits
// only the distinct corners, and the closing copy follows the first one.
#pragma once

#include <vector>

#include "core/shape/Shape.h"

// Whether the stored vertices are a polygon's closed ring.
bool IsClosedRing(const std::vector<CShapeVertex>& vertices, ShapeType nShapeType);
// The vertices the user can take: a closed ring's copy of its first is not one.
int EditableVertexCount(const std::vector<CShapeVertex>& vertices, ShapeType nShapeType);
// Fewest vertices a feature of the type keeps: a point one, a line two, a polygon three.
int MinimumVertexCount(ShapeType nShapeType);

enum class VertexEditResult
{
    Done,
    NoSuchVertex,   // an index that is not an editable vertex (or segment)
    TooFew,         // deleting would leave fewer than MinimumVertexCount
};

// Vertex nVertex moved to "to".
VertexEditResult MoveVertex(std::vector<CShapeVertex>& vertices, ShapeType nShapeType, int nVertex, CShapeVertex to);
// A new vertex "at" on segment nSegment, the one from vertex nSegment to the next.
VertexEditResult InsertVertex(std::vector<CShapeVertex>& vertices, ShapeType nShapeType, int nSegment, CShapeVertex at);
VertexEditResult DeleteVertex(std::vector<CShapeVertex>& vertices, ShapeType nShapeType, int nVertex);
