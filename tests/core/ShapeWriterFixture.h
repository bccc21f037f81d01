// Shared pieces of the shape writer tests: a fitted georeference with
// round-number results, and expected file bytes spelled out field by field.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/edit/Edit.h"
#include "core/io/MemoryFile.h"
#include "core/shape/ShapeFile.h"

// Image height 100 and three control points that fit rotation 0, offsets
// (100, 200) and scales 1: column c, row r lies at map (100 + c, 300 - r).
inline void FitRoundNumberGeoRef(CGeoRefArray& geoRef)
{
    geoRef.SetImageHeight(100);
    geoRef.m_points = {CGeoRefPoint(110, 210, 10, 90), CGeoRefPoint(150, 210, 50, 90), CGeoRefPoint(110, 250, 10, 50)};
    ASSERT_TRUE(geoRef.CalcTransform());
}

struct TestVertex
{
    int x, y;
};

inline CShape MakeShape(const std::vector<TestVertex>& vertices, const std::string& name = "")
{
    CShape shape;
    for (const TestVertex& v : vertices)
        shape.Add(v.x, v.y);
    shape.m_strName = name;
    return shape;
}

// Finishes the feature being digitised as the program does, through its
// edit: appended to shapes, named, and the current shape emptied (bAdd
// false: thrown away). True when a feature was appended.
inline bool FinishThroughEdit(CShape& current, ShapeType nShapeType, bool bAdd, const std::string& strName,
                              CShapeArray& shapes)
{
    CGeoRefArray geoRef;
    CEditTarget target{geoRef, shapes, nShapeType, current};
    if (!bAdd || current.GetSize() == 0)
    {
        CEdit(CDiscardFeatureEdit{current}).Apply(true, target);
        return false;
    }
    return CEdit(CFinishFeatureEdit(current, nShapeType, strName, shapes.GetSize())).Apply(true, target);
}

// Expected bytes written out by hand, one field at a time.
class ExpectedBytes
{
public:
    ExpectedBytes& Big32(uint32_t v)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            m_bytes += static_cast<char>((v >> shift) & 0xFF);
        return *this;
    }
    ExpectedBytes& Little32(uint32_t v)
    {
        for (int shift = 0; shift < 32; shift += 8)
            m_bytes += static_cast<char>((v >> shift) & 0xFF);
        return *this;
    }
    ExpectedBytes& Double(double d)
    {
        uint64_t u;
        std::memcpy(&u, &d, 8);
        for (int shift = 0; shift < 64; shift += 8)
            m_bytes += static_cast<char>((u >> shift) & 0xFF);
        return *this;
    }
    ExpectedBytes& Zeros(size_t n)
    {
        m_bytes.append(n, '\0');
        return *this;
    }
    ExpectedBytes& Text(const std::string& s)
    {
        m_bytes += s;
        return *this;
    }
    // "00 00 27 0A ..." with any spacing.
    ExpectedBytes& Hex(const char* psz)
    {
        std::string digits;
        for (; *psz; ++psz)
            if (*psz != ' ' && *psz != '\n')
                digits += *psz;
        for (size_t i = 0; i + 1 < digits.size(); i += 2)
            m_bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
        return *this;
    }
    const std::string& Str() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Main file header as the writer must build it, with the given length field.
inline ExpectedBytes ShapeHeader(uint32_t lengthWords, int type, double xMin, double yMin, double xMax, double yMax)
{
    ExpectedBytes b;
    b.Big32(9994).Zeros(20).Big32(lengthWords).Little32(1000).Little32(type);
    b.Double(xMin).Double(yMin).Double(xMax).Double(yMax).Zeros(32);
    return b;
}

inline std::string Field(const std::string& bytes, size_t offset, size_t size)
{
    return offset + size <= bytes.size() ? bytes.substr(offset, size) : std::string();
}

inline uint32_t BigAt(const std::string& bytes, size_t offset)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline double DoubleAt(const std::string& bytes, size_t offset)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | p[i];
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}
