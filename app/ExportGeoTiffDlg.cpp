#include "app/ExportGeoTiffDlg.h"

#include <cmath>

#include "app/res/resource.h"
#include "core/georef/NumberFormat.h"
#include "core/georef/NumberScan.h"
#include "winfw/FwUtil.h"
#include "winfw/Wnd.h"
#include "winbase/Wide.h"
#include "winfw/Tooltips.h"

namespace
{

const UINT kResamplingNames[] = {IDS_GEOTIFF_NEAREST, IDS_GEOTIFF_BILINEAR, IDS_GEOTIFF_CUBIC};
const UINT kCompressionNames[] = {IDS_GEOTIFF_DEFLATE, IDS_GEOTIFF_JPEG, IDS_GEOTIFF_UNCOMPRESSED};

void FillCombo(HWND hCombo, const UINT* pNames, int nCount, int nSelected)
{
    for (int k = 0; k < nCount; ++k)
        SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(LoadResString(pNames[k])).c_str()));
    SendMessageW(hCombo, CB_SETCURSEL, nSelected >= 0 && nSelected < nCount ? nSelected : 0, 0);
}

// The lists hold the values in their order: the selection is the value.
// No selection gives nDefault.
template <typename Choice>
Choice SelectedChoice(HWND hCombo, int nCount, Choice nDefault)
{
    const LRESULT index = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    return index >= 0 && index < nCount ? static_cast<Choice>(index) : nDefault;
}

}   // namespace

unsigned GeoTiffStatusStringId(GeoTiffStatus status)
{
    switch (status)
    {
    case GEOTIFF_OK: break;
    case GEOTIFF_NO_IMAGE: return IDS_GEOTIFF_NO_IMAGE;
    case GEOTIFF_NOT_INVERTIBLE: return IDS_GEOTIFF_NOT_INVERTIBLE;
    case GEOTIFF_NO_POINTS: return IDS_GEOTIFF_NO_POINTS;
    case GEOTIFF_BAD_PIXEL_SIZE: return IDS_GEOTIFF_BAD_PIXEL_SIZE;
    case GEOTIFF_BAD_EXTENT: return IDS_GEOTIFF_BAD_EXTENT;
    case GEOTIFF_TOO_LARGE: return IDS_GEOTIFF_TOO_LARGE;
    case GEOTIFF_BAD_CRS: return IDS_GEOTIFF_BAD_CRS;
    case GEOTIFF_OUT_OF_MEMORY: return IDS_GEOTIFF_OUT_OF_MEMORY;
    case GEOTIFF_CANNOT_CREATE: return IDS_GEOTIFF_CANNOT_CREATE;
    case GEOTIFF_WRITE_FAILED: return IDS_GEOTIFF_WRITE_FAILED;
    case GEOTIFF_CANCELLED: return IDS_GEOTIFF_CANCELLED;
    }
    return IDS_GEOTIFF_WRITE_FAILED;
}

std::string FormatPixelSize(double dSize)
{
    if (!std::isfinite(dSize) || dSize <= 0.0)
        return FormatFixed(dSize, 0);
    const int decimals = std::max(0, std::min(20, 9 - static_cast<int>(std::floor(std::log10(dSize)))));
    std::string text = FormatFixed(dSize, decimals);
    if (text.find('.') != std::string::npos)
    {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

CExportGeoTiffDlg::CExportGeoTiffDlg(const CAffineTransform& fit, int nWidth, int nHeight,
                                     const std::vector<CGeoRefPoint>& points)
    : CDialog(IDD_EXPORT_GEOTIFF), m_fit(fit), m_nWidth(nWidth), m_nHeight(nHeight), m_points(points),
      m_dDefaultSize(DefaultGeoTiffPixelSize(fit)), m_strDefaultSize(FormatPixelSize(m_dDefaultSize))
{
}

BOOL CExportGeoTiffDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_strCaption.empty())
        SetWindowTextW(m_hWnd, Widen(m_strCaption).c_str());
    CheckRadioButton(IDC_GEOTIFF_WHOLE_IMAGE, IDC_GEOTIFF_CONTROL_POINTS,
                     m_choices.nExtent == GEOTIFF_EXTENT_CONTROL_POINTS ? IDC_GEOTIFF_CONTROL_POINTS
                                                                        : IDC_GEOTIFF_WHOLE_IMAGE);
    SetItemText(IDC_GEOTIFF_PIXEL_SIZE,
                m_choices.dPixelSize > 0.0 ? FormatPixelSize(m_choices.dPixelSize) : m_strDefaultSize);
    SetItemText(IDC_GEOTIFF_DEFAULT_SIZE, LoadResStringWith(IDS_GEOTIFF_DEFAULT_SIZE, {m_strDefaultSize}));
    FillCombo(GetDlgItem(m_hWnd, IDC_GEOTIFF_RESAMPLING), kResamplingNames, 3, m_choices.nResampling);
    FillCombo(GetDlgItem(m_hWnd, IDC_GEOTIFF_COMPRESSION), kCompressionNames, 3, m_choices.nCompression);
    SendDlgItemMessageW(m_hWnd, IDC_GEOTIFF_JPEG_QUALITY, EM_LIMITTEXT, 3, 0);
    SetItemText(IDC_GEOTIFF_JPEG_QUALITY, std::to_string(m_choices.nJpegQuality));
    EnableQuality();
    ShowOutputSize();
    const ControlTip tip = {IDC_GEOTIFF_PIXEL_SIZE, IDS_TIP_GEOTIFF_PIXEL_SIZE};
    AddControlTips(m_hWnd, &tip, 1);
    // The focus goes to the first control that takes it: Enter exports.
    return TRUE;
}

bool CExportGeoTiffDlg::OnCommand(UINT nID, UINT nCode)
{
    if ((nID == IDC_GEOTIFF_PIXEL_SIZE && nCode == EN_CHANGE) ||
        ((nID == IDC_GEOTIFF_WHOLE_IMAGE || nID == IDC_GEOTIFF_CONTROL_POINTS) && nCode == BN_CLICKED))
    {
        ShowOutputSize();
        return true;
    }
    if (nID == IDC_GEOTIFF_COMPRESSION && nCode == CBN_SELCHANGE)
    {
        EnableQuality();
        return true;
    }
    return false;
}

bool CExportGeoTiffDlg::ReadControls(CGeoTiffChoices* pChoices, unsigned* pnReason) const
{
    CGeoTiffChoices c;
    c.nExtent = GetCheckedRadioButton(IDC_GEOTIFF_WHOLE_IMAGE, IDC_GEOTIFF_CONTROL_POINTS) == IDC_GEOTIFF_CONTROL_POINTS
                    ? GEOTIFF_EXTENT_CONTROL_POINTS
                    : GEOTIFF_EXTENT_WHOLE_IMAGE;
    c.nResampling = SelectedChoice(GetDlgItem(m_hWnd, IDC_GEOTIFF_RESAMPLING), 3, RESAMPLE_BILINEAR);
    c.nCompression = SelectedChoice(GetDlgItem(m_hWnd, IDC_GEOTIFF_COMPRESSION), 3, GEOTIFF_DEFLATE);

    // The default as shown stands for the scan's exact size, not its
    // rounded text: an upright scan then keeps its very pixels.
    const std::string size = GetItemText(IDC_GEOTIFF_PIXEL_SIZE);
    const char* end = nullptr;
    if (size == m_strDefaultSize)
        c.dPixelSize = m_dDefaultSize;
    else if (!ScanDouble(size.c_str(), &c.dPixelSize, &end) || *end || !(c.dPixelSize > 0.0))
    {
        *pnReason = IDS_GEOTIFF_BAD_PIXEL_SIZE;
        return false;
    }
    const std::string quality = GetItemText(IDC_GEOTIFF_JPEG_QUALITY);
    if (c.nCompression == GEOTIFF_JPEG &&
        (!ScanInt(quality.c_str(), &c.nJpegQuality, &end) || *end || c.nJpegQuality < 1 || c.nJpegQuality > 100))
    {
        *pnReason = IDS_GEOTIFF_BAD_QUALITY;
        return false;
    }
    if (c.nCompression != GEOTIFF_JPEG)
        c.nJpegQuality = m_choices.nJpegQuality;
    *pChoices = c;
    return true;
}

GeoTiffStatus CExportGeoTiffDlg::MakeGrid(const CGeoTiffChoices& choices, CGeoTiffGrid* pGrid) const
{
    return CalcGeoTiffGrid(m_fit, m_nWidth, m_nHeight, m_points, choices.nExtent, choices.dPixelSize, pGrid, m_pWarp);
}

void CExportGeoTiffDlg::ShowOutputSize()
{
    CGeoTiffChoices choices;
    unsigned reason = 0;
    CGeoTiffGrid grid;
    std::string text;
    if (!ReadControls(&choices, &reason))
        text = LoadResString(reason);
    else if (GeoTiffStatus status = MakeGrid(choices, &grid))
        text = LoadResString(GeoTiffStatusStringId(status));
    else
        text = LoadResStringWith(IDS_GEOTIFF_OUTPUT_SIZE, {std::to_string(grid.nWidth), std::to_string(grid.nHeight)});
    SetItemText(IDC_GEOTIFF_OUTPUT_SIZE, text);
}

void CExportGeoTiffDlg::EnableQuality()
{
    const bool jpeg =
        SendDlgItemMessageW(m_hWnd, IDC_GEOTIFF_COMPRESSION, CB_GETCURSEL, 0, 0) == static_cast<LRESULT>(GEOTIFF_JPEG);
    EnableWindow(GetDlgItem(m_hWnd, IDC_GEOTIFF_QUALITY_LABEL), jpeg);
    EnableWindow(GetDlgItem(m_hWnd, IDC_GEOTIFF_JPEG_QUALITY), jpeg);
}

void CExportGeoTiffDlg::OnOK()
{
    CGeoTiffChoices choices;
    unsigned reason = 0;
    GeoTiffStatus status = GEOTIFF_OK;
    if (ReadControls(&choices, &reason) && (status = MakeGrid(choices, &m_grid)) == GEOTIFF_OK)
    {
        // A pixel size left at the default is stored as "the default", so
        // that it follows the scan the next time.
        if (choices.dPixelSize == m_dDefaultSize)
            choices.dPixelSize = 0.0;
        m_choices = choices;
        EndDialog(IDOK);
        return;
    }
    FwMessageBox(reason ? reason : GeoTiffStatusStringId(status), MB_OK);
    const int focus = reason == IDS_GEOTIFF_BAD_QUALITY ? IDC_GEOTIFF_JPEG_QUALITY : IDC_GEOTIFF_PIXEL_SIZE;
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, focus)), TRUE);
}
