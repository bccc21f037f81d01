// The view: paints the image at zoom 1, 2 or 4 with the control points and
// features over it, and scrolls.
#pragma once

#include <vector>

#include "app/ImageDoc.h"
#include "core/shape/Shape.h"
#include "winfw/View.h"

// The marker of a control point whose coordinates are being entered.
const COLORREF kPendingPointColour = 0x00000080;   // maroon

// The string-table id of the words telling why Transpose was refused.
unsigned TransposeStatusStringId(TransposeStatus status);

class CImageView : public CScrollView
{
public:
    CImageView();

    CImageDoc* GetDocument() const { return static_cast<CImageDoc*>(m_pDocument); }

    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, void* pHint) override;
    void OnDraw(HDC hDC) override;
    BOOL OnEraseBkgnd(HDC hDC) override;

    // The cross of a control point at image pixel (c, r); onWindow draws in
    // window coordinates (outside painting) instead of view coordinates.
    void DrawMarker(COLORREF crColour, HDC hDC, int c, int r, BOOL onWindow);
    // One feature as stored; markFirst (or point features) crosses its first vertex.
    void DrawShape(COLORREF crColour, HDC hDC, const CShape& shape, BOOL markFirst, BOOL onWindow);
    // Scroll sizes and positions for the current zoom and mode, and an
    // immediate repaint. The image pixel at the top-left corner stays there
    // whenever the new sizes allow it.
    void ApplyZoom();

    // Transpose (TransposeCommand.cpp): the north-up resampled image with
    // its world file, shown in transposed mode.
    void OnTranspose();
    // Copy (ClipboardExport.cpp): the resampled image onto the clipboard as
    // a bitmap of its own size.
    void OnEditCopy();

    // Mouse input in each mode, and the mode and colour commands
    // (ImageViewInput.cpp).
    void OnLButtonDown(UINT nFlags, POINT point) override;
    void OnLButtonDblClk(UINT nFlags, POINT point) override;
    void OnRButtonDown(UINT nFlags, POINT point) override;
    void OnMouseMove(UINT nFlags, POINT point) override;
    void OnGeoreference();
    void OnDigitise();
    // The image pixel under a client point at the current zoom and scroll.
    POINT ClientToPixel(POINT point) const;

    CShape m_shape;
    int m_nZoom;
    int m_nPrevZoom;
    COLORREF m_crDigitise;
    COLORREF m_crPrevious;
    POINT m_ptPending;
    HCURSOR m_hDigitiseCursor;

private:
    void SetZoom(int nZoom);
    void AddTransposeCommands();
    void AddClipboardCommands();
    void AddInputCommands();
    void EnterControlPoint(POINT point);
    void FinishCurrentShape();
    void ChooseColour(COLORREF& crColour);
    // Copies the image pixels of range, at nZoom, to their place in view
    // coordinates.
    void PaintPixels(HDC hDC, const CRgbImage& image, int nZoom);

    std::vector<unsigned char> m_paintBuffer;   // kept between paints: no allocation while scrolling
};
