#include "core/georef/GeoRefArray.h"

CGeoRefArray::CGeoRefArray()
    : m_nImageHeight(0), m_bValid(false), m_dRotation(0.0), m_dX0(0.0), m_dXScale(0.0), m_dY0(0.0), m_dYScale(0.0),
      m_nFitModel(FitModel::RotationScales), m_nFittedModel(FitModel::RotationScales)
{
}

CGeoRefArray::~CGeoRefArray() = default;
