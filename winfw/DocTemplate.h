// The single-document template: one document, one frame and one view for
// the life of the program, made from three factories and one resource id
// (menu, accelerators, icon and the template string).
#pragma once

#include <functional>
#include <memory>
#include <string>

class CDocument;
class CFrameWnd;
class CView;

class CSingleDocTemplate
{
public:
    // Fields of the template string, in their order.
    enum DocStringIndex
    {
        DOCSTRING_WINDOW_TITLE,
        DOCSTRING_DOC_NAME,
        DOCSTRING_FILE_NEW_NAME,
        DOCSTRING_FILTER_NAME,
        DOCSTRING_FILTER_EXT,
        DOCSTRING_REG_FILE_TYPE_ID,
        DOCSTRING_REG_FILE_TYPE_NAME,
    };

    // The view is made for its document, which it may hold on to.
    CSingleDocTemplate(unsigned nIDResource, std::function<std::unique_ptr<CDocument>()> newDocument,
                       std::function<std::unique_ptr<CFrameWnd>()> newFrame,
                       std::function<std::unique_ptr<CView>(CDocument&)> newView);
    ~CSingleDocTemplate();

    unsigned GetResourceID() const { return m_nIDResource; }
    std::string GetDocString(DocStringIndex index) const;

    // Opens pszPathName, or makes a new untitled document when it is null.
    // Creates document, frame and view the first time. Returns the document,
    // or null when the frame kept the document open (SaveModified) or the
    // open failed.
    CDocument* OpenDocumentFile(const char* pszPathName);

    CDocument* GetDocument() const { return m_pDocument.get(); }
    CFrameWnd* GetFrame() const { return m_pFrame.get(); }
    CView* GetView() const { return m_pView.get(); }
    // Window title: "document - application".
    std::string GetFrameTitle() const;
    // Destroys the windows and then the objects behind them.
    void CloseAll();
    // The document whose open failed in the last OpenDocumentFile (null when
    // it did not fail there, or the frame kept the document before). Kept
    // until the next OpenDocumentFile or ForgetFailedDocument, so that it can
    // say why even when the frame made for it has gone.
    CDocument* FailedDocument() const;
    void ForgetFailedDocument();

private:
    bool CreateDocumentFrameAndView();

    unsigned m_nIDResource;
    std::string m_strDocStrings;
    std::function<std::unique_ptr<CDocument>()> m_newDocument;
    std::function<std::unique_ptr<CFrameWnd>()> m_newFrame;
    std::function<std::unique_ptr<CView>(CDocument&)> m_newView;
    std::unique_ptr<CDocument> m_pDocument;
    std::unique_ptr<CFrameWnd> m_pFrame;
    std::unique_ptr<CView> m_pView;
    bool m_bLastOpenFailed = false;
    std::unique_ptr<CDocument> m_pFailedDocument;   // reports a failed first open
};
