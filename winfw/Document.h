// The document of the document/view association: the data of one opened
// file, shown by its views.
#pragma once

#include <string>
#include <vector>

#include "winfw/CmdTarget.h"

class CView;

class CDocument : public CCmdTarget
{
public:
    CDocument() = default;
    ~CDocument() override = default;

    // The framework's operations a document may override.
    virtual void Serialize(bool bStoring);
    virtual BOOL OnNewDocument();
    // FALSE when the file could not be opened; the document keeps why, and
    // the application tells the user (CWinApp::ReportOpenFailure).
    virtual BOOL OnOpenDocument(const char* pszPathName);

    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const char* pszPathName);
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& strTitle);

    void AddView(CView* pView);
    // Calls OnUpdate of every view except pSender.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, void* pHint = nullptr);

private:
    std::string m_strPathName;
    std::string m_strTitle;
    std::vector<CView*> m_views;
};
