// Helpers of the Transpose and Copy GUI tests: images made at test time,
// the clipboard's bitmap read back, the status line's texts recorded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/app/AppSession.h"

namespace transpose_test
{
// RGB pixels, top row first, no padding.
struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    bool operator==(const RgbImage& other) const
    {
        return width == other.width && height == other.height && rgb == other.rgb;
    }
};

// Every pixel a colour of its own, never white: red the column, blue the
// row, green their high bits.
RgbImage NumberedImage(int width, int height);

// Writes pixels as a JPEG file (4:4:4, the given quality).
bool WriteJpeg(const std::string& path, const RgbImage& image, int quality);

// The resampled image the view holds.
RgbImage TransposedOfView(const CImageView* pView);

// The CF_BITMAP on the clipboard as 24-bit RGB; width 0 when there is none.
RgbImage ReadClipboardBitmap();
// How many formats the clipboard holds.
int ClipboardFormatCount();
// Empties the clipboard.
void ClearClipboard();
// The pixels of a bitmap as 24-bit RGB, through GetDIBits.
RgbImage ReadBitmap(HBITMAP hBitmap);

// Records every text the status line is given while it lives.
class StatusRecorder
{
public:
    explicit StatusRecorder(HWND hStatusBar);
    ~StatusRecorder();
    StatusRecorder(const StatusRecorder&) = delete;
    StatusRecorder& operator=(const StatusRecorder&) = delete;
    const std::vector<std::string>& Texts() const;

private:
    HWND m_hBar;
};

// The Digitise command from georeference mode, its dialog answered with
// polylines: the fit from the document's control points, and digitise mode
// when it succeeds.
void EnterDigitise(AppSession& session);
// The Digitise command from transposed mode: back to the scan.
void BackToDigitise(AppSession& session);

// Control point records of a .tvg file: map X, map Y, column, row.
struct PointRecord
{
    double mapX, mapY;
    int column, row;
};
void WritePointFile(const std::string& imagePath, const std::vector<PointRecord>& points);

// The default button of a dialog or message box.
int DefaultButton(HWND hDialog);
}
