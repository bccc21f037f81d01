// The application object of quarvex.exe.
#pragma once

#include "winfw/WinApp.h"

class CImageApp : public CWinApp
{
public:
    CImageApp();
    BOOL InitInstance() override;
    // Opens the image, then offers what its journal holds.
    CDocument* OpenDocumentFile(const char* pszPathName) override;
    void ReportOpenFailure(CDocument& doc, const char* pszPathName) override;
    // Every kind of scan the program reads, and "All map images" first.
    std::string OpenFileFilter() const override;
    // F1: the user guide's page for the window.
    void ShowHelp(UINT nContext) override;
};
