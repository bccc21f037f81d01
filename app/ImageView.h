// The view: paints the image at zoom 1, 2 or 4 with the control points and
// features over it, and scrolls.
#pragma once

#include <functional>

#include <vector>

#include "app/ImageDoc.h"
#include "app/StartPage.h"
#include "core/shape/Shape.h"
#include "core/view/FeatureBoxes.h"
#include "core/trace/LineTrace.h"
#include "core/view/FeatureSnap.h"
#include "winfw/View.h"

// The marker of a control point whose coordinates are being entered.
const COLORREF kPendingPointColour = 0x00000080;   // maroon

// The string-table id of the words telling why Transpose was refused.
unsigned TransposeStatusStringId(TransposeStatus status);

// Drawn over a control point while the Control Points window is open.
const COLORREF kWorstPointColour = 0x000000FF;      // red: the point the fit misses most
const COLORREF kResidualColour = 0x000080FF;        // orange: from a point toward where the fit puts it
const COLORREF kSelectedPointColour = 0x0000C000;   // green ring: the point chosen in the list
// Drawn over the features while the Features window is open.
const COLORREF kSelectedFeatureColour = 0x0000C000;   // green, wide: the feature chosen in the list
const int kSelectedFeatureWidth = 4;

class CImageView : public CScrollView
{
public:
    explicit CImageView(CImageDoc& doc);

    CImageDoc* GetDocument() const { return static_cast<CImageDoc*>(m_pDocument); }

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, void* pHint) override;
    void OnDraw(HDC hDC) override;
    BOOL OnEraseBkgnd(HDC hDC) override;

    // Image pixels here are the scan's full-resolution pixels, as the
    // points and features hold them; they are drawn on the shown pixel that
    // holds them (the document's Grid()).
    // The cross of a control point at image pixel (c, r); onWindow draws in
    // window coordinates (outside painting) instead of view coordinates.
    void DrawMarker(COLORREF crColour, HDC hDC, int c, int r, BOOL onWindow);
    // One feature as stored; markFirst (or point features) crosses its first vertex.
    void DrawShape(COLORREF crColour, HDC hDC, const CShape& shape, BOOL markFirst, BOOL onWindow, int nWidth = 2);
    // Scroll sizes and positions for the current zoom and mode, and an
    // immediate repaint. The image pixel at the top-left corner stays there
    // whenever the new sizes allow it.
    void ApplyZoom();

    // Transpose (TransposeCommand.cpp): the north-up resampled image with
    // its world file, shown in transposed mode.
    void OnTranspose();
    // Copy (CopyCommand.cpp): the resampled image promised to the clipboard
    // as a bitmap of its own size.
    void OnEditCopy();

    // Mouse input in each mode, and the mode and colour commands
    // (ImageViewInput.cpp).
    void OnLButtonDown(UINT nFlags, POINT point) override;
    void OnLButtonUp(UINT nFlags, POINT point) override;
    void OnLButtonDblClk(UINT nFlags, POINT point) override;
    void OnRButtonDown(UINT nFlags, POINT point) override;
    void OnMouseMove(UINT nFlags, POINT point) override;
    // Backspace, Escape and Delete, V (Edit Vertices), S (Snap), N (Trace
    // Neighbour) and T (Trace Lines).
    void OnKeyDown(UINT nVirtualKey) override;
    void OnGeoreference();
    void OnDigitise();
    // The image pixel under a client point at the current zoom and scroll.
    POINT ClientToPixel(POINT point) const;

    // While the Control Points window is open: the worst point in the
    // warning colour, each point's residual drawn nScale times its length,
    // and the point chosen in the list ringed (-1: none).
    void SetResidualDisplay(bool bShow, int nScale);
    void SetSelectedPoint(int nIndex);
    // Scrolls control point nIndex into the middle of the view and rings it.
    void ShowControlPoint(int nIndex);
    // The screen position of an image pixel at the current zoom and scroll.
    POINT PixelToScreen(int c, int r) const;
    // While the Features window is open: the finished feature chosen in its
    // list, drawn over the others (-1: none).
    void SetSelectedFeature(int nIndex);
    // Told the feature a click on the map picked (the Features window's row follows).
    std::function<void(int nIndex)> m_onFeaturePicked;
    int GetSelectedFeature() const { return m_nSelectedFeature; }
    // Scrolls finished feature nIndex into the middle of the view and
    // highlights it.
    void ShowFeature(int nIndex);

    // Edit Vertices and snapping (ImageViewVertices.cpp).
    void ToggleVertexEditing();
    void ToggleSnap();
    void ChooseSnapTolerance();
    // Trace Neighbour and Trace Lines (ImageViewTrace.cpp).
    void TraceNeighbour();
    void ToggleTraceLines();
    void AddHole();
    // The path Trace Lines proposes from the last vertex to full-resolution
    // pixel "to" (none when off or nothing is being digitised).
    std::vector<CShapeVertex> TracedPathTo(POINT to);
    const std::vector<CShapeVertex>& TracePreview() const { return m_tracePreview; }

    // What a click at a client point would snap to now (HitKind::None when
    // snapping is off or nothing is near).
    FeatureHit SnapTargetAt(POINT client) const;

    // The feature being digitised: the document's.
    const CShape& m_shape;
    int m_nZoom;
    int m_nPrevZoom;
    COLORREF m_crDigitise;
    COLORREF m_crPrevious;
    POINT m_ptPending;
    HCURSOR m_hDigitiseCursor;
    // Snapping, and its tolerance in screen pixels; kept in the profile.
    bool m_bSnap = false;
    int m_nSnapTolerance = 10;
    bool m_bTraceLines = false;
    // The finished feature whose vertices Edit Vertices shows, or -1.
    int m_nEditFeature = -1;
    // The snap target under the cursor, drawn as a marker.
    FeatureHit m_snapShown;

private:
    void SetZoom(int nZoom);
    // Where full-resolution pixel (x, y) is drawn, in view coordinates.
    POINT ShownAt(int x, int y) const;
    // Scrolls image pixel (x, y) to the middle of the view (as near as the
    // image's edges allow) and repaints.
    void CentreOnPixel(long long x, long long y);
    // The client area a control point's marker, ring and label cover when
    // drawn at image pixel pixel.
    RECT MarkerBand(POINT pixel) const;
    void AddTransposeCommands();
    void AddClipboardCommands();
    void AddInputCommands();
    void EnterControlPoint(POINT point);
    void FinishCurrentShape();
    void DrawResiduals(HDC hDC);
    // Moving a control point's marker with the mouse (georeference mode).
    void BeginPointDrag(int nIndex, POINT point);
    void EndPointDrag(POINT point, bool bDrop);
    void ChooseColour(COLORREF& crColour);
    void AddVertexCommands();
    // The pixel a click at client point takes: its snap target, else the pixel under it.
    POINT SnappedPixel(POINT client, const SnapSources& sources, FeatureHit* pHit = nullptr) const;
    // The features, the control points (copied into points) and the feature being digitised.
    SnapSources DigitiseSnapSources(std::vector<CShapeVertex>& points) const;
    SnapSources FeatureSnapSources() const;
    // Edit Vertices' mouse; VertexEditMove is true while a vertex is held.
    void VertexEditDown(POINT point);
    bool VertexEditMove(UINT nFlags, POINT point);
    void EndVertexDrag(bool bDrop);
    void InsertVertexAt(POINT point);
    void DeleteVertexAt(POINT point);
    // The hit on the edited feature under a client point.
    FeatureHit EditFeatureHit(POINT point) const;
    // The full-resolution image position under a client point, and the
    // full-resolution pixels nScreenPixels span, at the zoom and the grid
    // shown: what snapping and vertex hits measure in.
    ImagePoint ClientToImagePoint(POINT client) const;
    double FullTolerance(int nScreenPixels) const;
    void DrawVertexHandles(HDC hDC);
    void DrawSnapMarker(HDC hDC);
    // Moves the snap marker to what the cursor at point would snap to.
    void UpdateSnapMarker(POINT point);
    RECT SnapMarkerRect(const FeatureHit& hit) const;
    void AbandonCurrentFeature();
    void AddTraceCommands();
    // Proposes the path to what the cursor at point would take, and draws it.
    void UpdateTracePreview(POINT point);
    void DrawTracePreview(HDC hDC);
    RECT TracePreviewRect() const;
    // Copies the image pixels of range, at nZoom, to their place in view
    // coordinates.
    void PaintPixels(HDC hDC, const CRgbImage& image, int nZoom);

    std::vector<unsigned char> m_paintBuffer;   // kept between paints: no allocation while scrolling

    bool m_bShowResiduals = false;
    int m_nResidualScale = 10;
    int m_nSelectedPoint = -1;
    int m_nSelectedFeature = -1;
    // The point under a pressed button: dragged once the mouse moves
    // further than a click's wobble; otherwise the press is a click.
    int m_nDragPoint = -1;
    bool m_bDragging = false;
    POINT m_ptDragStart = {0, 0};
    POINT m_ptDragPixel = {0, 0};
    // The vertex of m_nEditFeature under a pressed button, as for points.
    int m_nDragVertex = -1;
    bool m_bVertexDragging = false;
    POINT m_ptVertexDragStart = {0, 0};
    POINT m_ptVertexDragPixel = {0, 0};
    // The snap index of the document's features, made again when they change.
    const CSnapIndex& SnapIndex() const;
    mutable CSnapIndex m_snapIndex;
    // The finished features' boxes, for painting only those in the paint's rectangle.
    const CFeatureBoxes& FeatureBoxes() const;
    mutable CFeatureBoxes m_featureBoxes;
    mutable unsigned long long m_nFeatureBoxesVersion = ~0ull;
    mutable unsigned long long m_nSnapIndexVersion = ~0ull;
    CLineTracer m_tracer;
    std::vector<CShapeVertex> m_tracePreview;   // full-resolution pixels, from the last vertex on
    // Where the mouse last was over the view (client): Delete acts there.
    POINT m_ptMouse = {-1, -1};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The steps of the work, over the empty view; declared last, so that its
    // window goes before anything the view holds.
    CStartPage m_startPage;
};
