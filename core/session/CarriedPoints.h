// Control points typed in one coordinate system and fitted in another: the
// typed coordinates carried into the output system, once a change of the
// points or the systems and not at every paint; which points could not be
// carried; the operation PROJ chose; and the way back for the read-out.
// PROJ's database is opened only when the two systems first differ.
#pragma once

#include <string>
#include <vector>

#include "core/base/Status.h"
#include "core/crs/CrsTransform.h"
#include "core/georef/CrsRef.h"
#include "core/georef/GeoRefPoint.h"

class CPointCarrier
{
public:
    // points: the system the coordinates are typed in, none for the
    // output's. Nothing is carried unless both are set and differ.
    void SetSystems(const CCrsRef& points, const CCrsRef& output);
    bool Carries() const { return m_points.nEpsg != 0 && m_output.nEpsg != 0 && m_points.nEpsg != m_output.nEpsg; }

    // *pFit becomes typed (same order, texts and switches kept) with the
    // coordinates in the output system. A point that cannot be carried is
    // switched off there and put at the centre of those carried, so that
    // no extent taken over the list moves; *pNotCarried lists it. Failure
    // says why: PROJ's words when no operation can be made (no point is
    // carried then), else PointFailed.
    CStatus<CrsTransformCode> Carry(const std::vector<CGeoRefPoint>& typed, std::vector<CGeoRefPoint>* pFit,
                                    std::vector<int>* pNotCarried);
    // PROJ's name of the operation it uses at the centre of the points
    // given (typed, those switched on): where several operations cover
    // parts of the systems, the one for that place. "" when nothing is
    // carried or no operation covers the place.
    std::string OperationName(const std::vector<CGeoRefPoint>& typed);
    // An output position back in the points' system; false when nothing is
    // carried or the place has no counterpart there.
    bool Back(CMapXY* pAt);

private:
    CStatus<CrsTransformCode> Ready(CCrsTransform& transform, int nSource, int nTarget);

    CCrsRef m_points, m_output;
    CCrsTransform m_forward, m_back;
};
