// Times, inside the running program under Wine, painting the 100,000
// polylines of 10 vertices of bench/LargeLayer.h over a 27-MP scan at 100%
// while scrolling: the layer (a 22-km square) fitted over the whole scan,
// opened as the document's features, then 40 scroll steps of 64 pixels
// right and down, each painted at once as dragging the scroll bars does;
// and one full repaint of the view.
// Usage: paint_features_timer [none]   (none: the same scrolling without
// the features, for the scan's own share)
// Prints: features mean_scroll_step_ms worst_scroll_step_ms full_repaint_ms
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/DocumentCommands.h"
#include "app/res/resource.h"
#include "bench/LargeLayer.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/DocTestAccess.h"

namespace
{
double Now()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}   // namespace

int main(int argc, char** argv)
{
    const bool bFeatures = argc < 2 || std::strcmp(argv[1], "none") != 0;
    const int width = 6000, height = 4500;
    AppSession session;
    session.SetViewClientSize(1024, 700);
    ShowSyntheticImage(session, width, height, [](int c, int r) { return uint32_t((c ^ r) & 0xFF) * 0x010101u; });
    CImageDoc* pDoc = session.Doc();
    CGeoRefArray& geoRef = TestGeoRef(pDoc);
    geoRef.m_points = {CGeoRefPoint(499000, 4221000, 0, 0), CGeoRefPoint(522000, 4221000, width, 0),
                       CGeoRefPoint(499000, 4199000, 0, height), CGeoRefPoint(522000, 4199000, width, height)};
    if (!geoRef.CalcTransform())
        return 1;
    SetTestMode(pDoc, MODE_DIGITISE);

    CVectorLayer layer;
    layer.strName = "lines";
    layer.nKind = GeometryKind::PolyLine;
    layer.features.reserve(kShapes);
    ForEachLargeLine([&layer, bFeatures](int, const double* xy) {
        if (!bFeatures)
            return;
        CVectorFeature feature;
        feature.parts.emplace_back();
        for (int v = 0; v < kVertices; ++v)
            feature.parts[0].push_back(CMapPoint{xy[2 * v], xy[2 * v + 1], 0, 0});
        layer.features.push_back(std::move(feature));
    });
    if (!Follow(*pDoc, pDoc->Session().OpenFeatures("lines.gpkg", std::move(layer))))
        return 1;
    session.Command(ID_VIEW_ZOOM100);
    session.View()->ScrollToPosition(POINT{0, 0});
    UpdateWindow(session.ViewWnd());
    GdiFlush();

    const int steps = 40;
    double worst = 0;
    const double scrollStart = Now();
    for (int i = 1; i <= steps; ++i)
    {
        const double start = Now();
        session.View()->ScrollToPosition(POINT{i * 64, i * 64});
        UpdateWindow(session.ViewWnd());
        GdiFlush();
        worst = std::max(worst, Now() - start);
    }
    const double scrollMs = (Now() - scrollStart) / steps;
    const double repaintStart = Now();
    InvalidateRect(session.ViewWnd(), nullptr, TRUE);
    UpdateWindow(session.ViewWnd());
    GdiFlush();
    std::printf("%d %.2f %.2f %.2f\n", pDoc->Session().Features().GetSize(), scrollMs, worst, Now() - repaintStart);
    return 0;
}
