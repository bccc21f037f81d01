// Each finished feature's box in full-resolution pixels, so that a paint
// draws only the features that come into the rectangle it covers: drawing
// all of 100,000 features takes many frames (bench/paint_features.sh).
// Built from the features as they are; build it again after they change.
#pragma once

#include <vector>

#include "core/shape/Shape.h"

class CFeatureBoxes
{
public:
    void Build(const CShapeArray& features);
    int GetSize() const { return static_cast<int>(m_boxes.size()); }

    // Calls visit(i), in the features' order, for every feature with a
    // vertex whose box meets the rectangle (edges included).
    template <class Visit>
    void ForEachIn(double dLeft, double dTop, double dRight, double dBottom, Visit visit) const
    {
        for (size_t i = 0; i < m_boxes.size(); ++i)
        {
            const Box& box = m_boxes[i];
            if (box.right >= dLeft && box.left <= dRight && box.bottom >= dTop && box.top <= dBottom)
                visit(static_cast<int>(i));
        }
    }

private:
    struct Box
    {
        // An empty feature's box is inverted and meets nothing.
        double left, top, right, bottom;
    };
    std::vector<Box> m_boxes;
};
