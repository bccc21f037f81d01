#include "core/view/FeatureBoxes.h"

#include <algorithm>
#include <cfloat>

void CFeatureBoxes::Build(const CShapeArray& features)
{
    m_boxes.assign(static_cast<size_t>(features.GetSize()), Box{DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX});
    for (int i = 0; i < features.GetSize(); ++i)
    {
        Box& box = m_boxes[static_cast<size_t>(i)];
        for (const CShapeVertex& v : features.GetAt(i).Vertices())
        {
            box.left = std::min(box.left, double(v.x));
            box.right = std::max(box.right, double(v.x));
            box.top = std::min(box.top, double(v.y));
            box.bottom = std::max(box.bottom, double(v.y));
        }
    }
}
