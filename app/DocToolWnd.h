// A tool window that shows the open document: it reaches the document and
// its view, and follows the document's changes while it exists.
#pragma once

#include <functional>

#include "app/ImageDoc.h"
#include "app/ImageView.h"
#include "winfw/ToolDialog.h"

class CDocToolWnd : public CToolDialog
{
public:
    using CToolDialog::CToolDialog;
    ~CDocToolWnd() override;

protected:
    CImageDoc* Doc() const;
    CImageView* View() const;
    // Calls the listener after each change of the document, until the
    // window is destroyed.
    void FollowChanges(std::function<void(const CEdit* pEdit)> listener);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) override;

private:
    void StopFollowing();

    int m_nChangeListener = 0;
};
