#include "winfw/Document.h"

#include "core/io/Path.h"
#include "winfw/DocTemplate.h"
#include "winfw/View.h"
#include "winfw/WinApp.h"

void CDocument::Serialize(bool) {}

BOOL CDocument::OnNewDocument()
{
    m_strPathName.clear();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*) { return FALSE; }

void CDocument::SetPathName(const char* pszPathName)
{
    m_strPathName = pszPathName;
    SetTitle(PathFileName(m_strPathName));
}

void CDocument::SetTitle(const std::string& strTitle)
{
    m_strTitle = strTitle;
    if (CWinApp* pApp = FwGetApp())
        pApp->UpdateFrameTitle();
}

void CDocument::AddView(CView* pView)
{
    m_views.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, void* pHint)
{
    for (CView* pView : m_views)
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
}
