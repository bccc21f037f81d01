// Copy (Edit menu, Ctrl+C, Ctrl+Insert) in transposed mode: the resampled
// image of Transpose promised to the clipboard, the main window its owner.
#include "app/ClipboardExport.h"
#include "app/ImageView.h"
#include "app/MainFrame.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"
#include "winfw/WinApp.h"

namespace
{
// The program's main window is always its own frame.
CMainFrame* MainFrame()
{
    CWinApp* pApp = FwGetApp();
    return pApp ? static_cast<CMainFrame*>(pApp->m_pMainWnd) : nullptr;
}
}   // namespace

void CImageView::AddClipboardCommands()
{
    AddCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
    AddCommandUpdate(ID_EDIT_COPY, [this](CCmdUI& ui) {
        ui.Enable(GetDocument()->Session().Mode() == MODE_TRANSPOSED && !GetDocument()->NorthUp().IsEmpty());
    });
}

void CImageView::OnEditCopy()
{
    const CTransposedImage& image = GetDocument()->NorthUp();
    if (image.IsEmpty() || GetDocument()->Session().Mode() != MODE_TRANSPOSED)
        return;
    CMainFrame* pFrame = MainFrame();
    if (!pFrame)
        return;
    FwSetStatusText(LoadResString(IDS_COPYING));
    const unsigned nFailureId = pFrame->m_clipboardOffer.Offer(
        m_hWnd, pFrame->m_hWnd, GetDocument()->SharedNorthUpPixels(), image.Width(), image.Height());
    FwSetStatusText("");
    if (nFailureId)
        FwMessageBox(nFailureId, MB_OK);
}
