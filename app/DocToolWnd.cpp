#include "app/DocToolWnd.h"

#include "winfw/WinApp.h"

CDocToolWnd::~CDocToolWnd() { StopFollowing(); }

CImageDoc* CDocToolWnd::Doc() const
{
    CWinApp* pApp = FwGetApp();
    CSingleDocTemplate* pTemplate = pApp ? pApp->GetDocTemplate() : nullptr;
    return pTemplate ? static_cast<CImageDoc*>(pTemplate->GetDocument()) : nullptr;
}

CImageView* CDocToolWnd::View() const
{
    CWinApp* pApp = FwGetApp();
    CSingleDocTemplate* pTemplate = pApp ? pApp->GetDocTemplate() : nullptr;
    return pTemplate ? static_cast<CImageView*>(pTemplate->GetView()) : nullptr;
}

void CDocToolWnd::FollowChanges(std::function<void(const CEdit* pEdit)> listener)
{
    StopFollowing();
    if (CImageDoc* pDoc = Doc())
        m_nChangeListener = pDoc->AddChangeListener(std::move(listener));
}

void CDocToolWnd::StopFollowing()
{
    if (CImageDoc* pDoc = Doc())
        pDoc->RemoveChangeListener(m_nChangeListener);
    m_nChangeListener = 0;
}

bool CDocToolWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult)
{
    if (message == WM_DESTROY)
        StopFollowing();
    return CToolDialog::OnMessage(message, wParam, lParam, pResult);
}
