// The shape model: features digitised on the image, in image pixels.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/shape/AttributeFields.h"

// Shape type codes of the Shapefile format: what the features of one image
// are digitised and saved as.
enum ShapeType
{
    SHAPE_POINT = 1,
    SHAPE_POLYLINE = 3,
    SHAPE_POLYGON = 5,
};

// An image pixel: column from the left edge, row from the top edge.
struct CShapeVertex
{
    int x;
    int y;
    bool operator==(const CShapeVertex& other) const { return x == other.x && y == other.y; }
};

// One feature: its vertices in the order clicked, and its name. Copies are deep.
class CShape
{
public:
    CShape() = default;
    virtual ~CShape() = default;
    CShape(const CShape&) = default;
    CShape& operator=(const CShape&) = default;
    // Moves cannot fail, so growing a CShapeArray moves its shapes instead
    // of copying every vertex, and keeps its old contents if growing fails.
    CShape(CShape&&) noexcept = default;
    CShape& operator=(CShape&&) noexcept = default;

    int Add(int x, int y);   // index of the new vertex
    int GetSize() const { return static_cast<int>(m_vertices.size()); }
    const CShapeVertex& GetAt(int nIndex) const { return m_vertices[nIndex]; }
    void RemoveAt(int nIndex, int nCount = 1);   // later vertices move down
    void RemoveAll()
    {
        m_vertices.clear();
        m_holes.clear();
    }
    const std::vector<CShapeVertex>& Vertices() const { return m_vertices; }
    // The rings stay where they begin: a change of vertices that moves
    // where a ring starts sets the rings again too.
    void SetVertices(std::vector<CShapeVertex> vertices) { m_vertices = std::move(vertices); }

    // A polygon's rings are held one after the other in the vertices: the
    // outer ring first, then its holes. Where each hole begins; empty for a
    // shape of one ring (every line and point).
    const std::vector<int>& HoleStarts() const { return m_holes; }
    void SetHoleStarts(std::vector<int> holes) { m_holes = std::move(holes); }
    int RingCount() const { return 1 + static_cast<int>(m_holes.size()); }
    int RingBegin(int nRing) const { return nRing == 0 ? 0 : m_holes[nRing - 1]; }
    int RingEnd(int nRing) const { return nRing + 1 < RingCount() ? m_holes[nRing] : GetSize(); }
    // A new ring begins after the last vertex; the last one started goes.
    void StartHole() { m_holes.push_back(GetSize()); }
    void DropLastHole()
    {
        if (!m_holes.empty())
            m_holes.pop_back();
    }
    // Whether vertex nIndex begins a hole: no segment leads to it from the one before.
    bool StartsHole(int nIndex) const;
    // The vertices of one ring, as they are held.
    std::vector<CShapeVertex> Ring(int nRing) const
    {
        return std::vector<CShapeVertex>(m_vertices.begin() + RingBegin(nRing), m_vertices.begin() + RingEnd(nRing));
    }

    std::string m_strName;
    // The record of the opened file the feature came from (its index in the
    // document's COpenedLayer); -1 for one digitised here.
    int m_nSource = -1;
    // One a field of the array the feature is in (see CShapeArray::Fields);
    // missing ones at the end are none.
    std::vector<FieldValue> m_values;
    FieldValue Value(int nField) const
    {
        return nField >= 0 && nField < static_cast<int>(m_values.size()) ? m_values[nField] : FieldValue();
    }

private:
    std::vector<CShapeVertex> m_vertices;
    std::vector<int> m_holes;
};

// The finished features in the order they were finished; element i is
// record i + 1 of every output file.
class CShapeArray
{
public:
    int Add(const CShape& shape);   // index of the new element
    int Add(CShape&& shape);
    int GetSize() const { return static_cast<int>(m_shapes.size()); }
    const CShape& GetAt(int nIndex) const { return m_shapes[nIndex]; }
    void RemoveAll() { m_shapes.clear(); }
    void Reserve(int nCount) { m_shapes.reserve(nCount > 0 ? static_cast<size_t>(nCount) : 0); }
    // Single features, for edits and their undo; an index out of range
    // changes nothing.
    void InsertAt(int nIndex, const CShape& shape);
    void RemoveAt(int nIndex);
    void SetName(int nIndex, const std::string& strName);
    void SetVertices(int nIndex, std::vector<CShapeVertex> vertices);

    // The attribute fields every feature carries a value of, beyond its name.
    const std::vector<CAttributeField>& Fields() const { return m_fields; }
    void SetFields(std::vector<CAttributeField> fields) { m_fields = std::move(fields); }
    // A field put in at nField with each feature's value from column (none
    // where it is short); out of range, nothing changes.
    void InsertField(int nField, const CAttributeField& field,
                     const std::vector<FieldValue>& column = std::vector<FieldValue>());
    void RemoveField(int nField);
    void ChangeField(int nField, const CAttributeField& field);
    std::vector<FieldValue> Column(int nField) const;
    void SetValue(int nIndex, int nField, const FieldValue& value);
    void SetValuesOf(int nIndex, std::vector<FieldValue> values);
    // What a new feature starts with: each field's default, or the last
    // feature's value where the field reuses it.
    std::vector<FieldValue> NewFeatureValues() const;

private:
    std::vector<CShape> m_shapes;
    std::vector<CAttributeField> m_fields;
};

// The shape being digitised as the list keeps it once finished: named, and
// each of a polygon's rings closed with a copy of its first vertex (a hole
// begun without a vertex is left out).
CShape FinishedShape(const CShape& current, ShapeType nShapeType, const std::string& strName);

// Removes the last vertex of the shape being digitised; nothing when empty.
void RemoveLastVertex(CShape& current);
