#include "winfw/DocTemplate.h"

#include "winfw/Document.h"
#include "winfw/FrameWnd.h"
#include "winfw/FwIds.h"
#include "winfw/FwUtil.h"
#include "winfw/View.h"
#include "winfw/WinApp.h"

CSingleDocTemplate::CSingleDocTemplate(unsigned nIDResource, std::function<std::unique_ptr<CDocument>()> newDocument,
                                       std::function<std::unique_ptr<CFrameWnd>()> newFrame,
                                       std::function<std::unique_ptr<CView>(CDocument&)> newView)
    : m_nIDResource(nIDResource), m_strDocStrings(LoadResString(nIDResource)), m_newDocument(std::move(newDocument)),
      m_newFrame(std::move(newFrame)), m_newView(std::move(newView))
{
}

CSingleDocTemplate::~CSingleDocTemplate() { CloseAll(); }

std::string CSingleDocTemplate::GetDocString(DocStringIndex index) const
{
    std::string::size_type start = 0;
    for (int i = 0; i < index; ++i)
    {
        start = m_strDocStrings.find('\n', start);
        if (start == std::string::npos)
            return std::string();
        ++start;
    }
    std::string::size_type end = m_strDocStrings.find('\n', start);
    return m_strDocStrings.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string CSingleDocTemplate::GetFrameTitle() const
{
    std::string title = GetDocString(DOCSTRING_WINDOW_TITLE);
    if (m_pDocument && !m_pDocument->GetTitle().empty())
        title = m_pDocument->GetTitle() + " - " + title;
    return title;
}

bool CSingleDocTemplate::CreateDocumentFrameAndView()
{
    m_pDocument = m_newDocument();
    m_pFrame = m_newFrame();
    m_pView = m_newView(*m_pDocument);
    CWinApp* pApp = FwGetApp();
    if (pApp && !pApp->m_pMainWnd)
        pApp->m_pMainWnd = m_pFrame.get();
    if (!m_pFrame->LoadFrame(m_nIDResource) || !m_pView->Create(m_pFrame->m_hWnd, AFX_IDW_PANE_FIRST))
    {
        CloseAll();
        return false;
    }
    m_pDocument->AddView(m_pView.get());
    m_pFrame->SetActiveView(m_pView.get());
    return true;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* pszPathName)
{
    bool created = false;
    m_bLastOpenFailed = false;
    m_pFailedDocument.reset();
    if (!m_pDocument)
    {
        if (!CreateDocumentFrameAndView())
            return nullptr;
        created = true;
    }
    else if (!m_pFrame->SaveModified())
    {
        return nullptr;
    }

    if (!pszPathName)
    {
        if (!m_pDocument->OnNewDocument())
        {
            if (created)
                CloseAll();
            return nullptr;
        }
        std::string untitled = GetDocString(DOCSTRING_DOC_NAME);
        m_pDocument->SetPathName("");
        m_pDocument->SetTitle(untitled.empty() ? "Untitled" : untitled);
    }
    else
    {
        CWaitCursor wait;
        if (!m_pDocument->OnOpenDocument(pszPathName))
        {
            // The previous path and title stay; a frame made for this open
            // goes, and its document stays only to say what failed.
            m_bLastOpenFailed = true;
            if (created)
            {
                m_pFailedDocument = std::move(m_pDocument);
                CloseAll();
            }
            return nullptr;
        }
        m_pDocument->SetPathName(pszPathName);
    }
    m_pView->OnInitialUpdate();
    return m_pDocument.get();
}

CDocument* CSingleDocTemplate::FailedDocument() const
{
    if (!m_bLastOpenFailed)
        return nullptr;
    return m_pFailedDocument ? m_pFailedDocument.get() : m_pDocument.get();
}

void CSingleDocTemplate::ForgetFailedDocument()
{
    m_bLastOpenFailed = false;
    m_pFailedDocument.reset();
}

void CSingleDocTemplate::CloseAll()
{
    // No longer the main window before it goes: destroying the main window
    // ends the message loop, and a failed first open still has a message
    // to show.
    CWinApp* pApp = FwGetApp();
    if (pApp && pApp->m_pMainWnd == m_pFrame.get())
        pApp->m_pMainWnd = nullptr;
    if (m_pFrame && m_pFrame->m_hWnd)
        m_pFrame->DestroyWindow();   // the view goes with it
    m_pView.reset();
    m_pFrame.reset();
    m_pDocument.reset();
}
