#include "core/session/CarriedPoints.h"

#include <algorithm>
#include <cmath>

namespace
{
struct CBox
{
    bool bAny = false;
    CMapXY low, high;

    void Add(CMapXY p)
    {
        low = bAny ? CMapXY{std::min(low.x, p.x), std::min(low.y, p.y)} : p;
        high = bAny ? CMapXY{std::max(high.x, p.x), std::max(high.y, p.y)} : p;
        bAny = true;
    }
    CMapXY Centre() const { return bAny ? CMapXY{(low.x + high.x) / 2, (low.y + high.y) / 2} : CMapXY(); }
};
}   // namespace

void CPointCarrier::SetSystems(const CCrsRef& points, const CCrsRef& output)
{
    m_points = points;
    m_output = output;
}

CStatus<CrsTransformCode> CPointCarrier::Ready(CCrsTransform& transform, int nSource, int nTarget)
{
    if (transform.IsReady() && transform.GetSource() == nSource && transform.GetTarget() == nTarget)
        return {};
    return transform.Create(nSource, nTarget);
}

CStatus<CrsTransformCode> CPointCarrier::Carry(const std::vector<CGeoRefPoint>& typed, std::vector<CGeoRefPoint>* pFit,
                                               std::vector<int>* pNotCarried)
{
    *pFit = typed;
    pNotCarried->clear();
    if (!Carries())
        return {};
    std::vector<CMapXY> at(typed.size());
    for (size_t i = 0; i < typed.size(); ++i)
        at[i] = {typed[i].m_dMapX, typed[i].m_dMapY};
    CStatus<CrsTransformCode> status = Ready(m_forward, m_points.nEpsg, m_output.nEpsg);
    if (status.Ok())
        status = m_forward.Transform(at.data(), at.size());
    const bool bNone = !status.Ok() && status.GetCode() != CrsTransformCode::PointFailed;
    CBox carried;
    for (size_t i = 0; i < typed.size(); ++i)
    {
        if (bNone || !std::isfinite(at[i].x) || !std::isfinite(at[i].y))
            pNotCarried->push_back(static_cast<int>(i));
        else
            carried.Add(at[i]);
    }
    const CMapXY centre = carried.Centre();
    size_t next = 0;
    for (size_t i = 0; i < typed.size(); ++i)
    {
        CGeoRefPoint& p = (*pFit)[i];
        const bool bLost = next < pNotCarried->size() && (*pNotCarried)[next] == static_cast<int>(i);
        next += bLost ? 1 : 0;
        p.m_dMapX = bLost ? centre.x : at[i].x;
        p.m_dMapY = bLost ? centre.y : at[i].y;
        p.m_bOff = p.m_bOff || bLost;
    }
    return status;
}

std::string CPointCarrier::OperationName(const std::vector<CGeoRefPoint>& typed)
{
    if (!Carries() || !Ready(m_forward, m_points.nEpsg, m_output.nEpsg).Ok())
        return std::string();
    CBox box;
    for (const CGeoRefPoint& p : typed)
        if (!p.m_bOff)
            box.Add({p.m_dMapX, p.m_dMapY});
    return box.bAny ? m_forward.OperationNameAt(box.Centre()) : std::string();
}

bool CPointCarrier::Back(CMapXY* pAt)
{
    if (!Carries() || !Ready(m_back, m_output.nEpsg, m_points.nEpsg).Ok())
        return false;
    return m_back.Transform(pAt, 1).Ok();
}
