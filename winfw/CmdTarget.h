// Command routing by id: each target keeps a table of command handlers and
// of menu-state handlers; the frame asks view, document, frame and
// application in that order.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

// The state of one command as the menu shows it.
class CCmdUI
{
public:
    explicit CCmdUI(UINT nID) : m_nID(nID) {}
    void Enable(BOOL bOn = TRUE) { m_bEnabled = bOn != FALSE; }
    void SetCheck(int nCheck = 1) { m_bChecked = nCheck != 0; }
    // The menu item's text, for commands whose label tells what they do
    // ("Undo Delete Control Point"); items whose text is not set keep theirs.
    void SetText(const std::string& strText)
    {
        m_strText = strText;
        m_bTextSet = true;
    }

    UINT m_nID;
    bool m_bEnabled = true;
    bool m_bChecked = false;
    bool m_bTextSet = false;
    std::string m_strText;
};

class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of nID; false when this target has none.
    bool DoCommand(UINT nID);
    // Fills the state of ui.m_nID; false when this target neither handles
    // the command nor states it, so that routing asks the next target.
    bool DoUpdate(CCmdUI& ui);

protected:
    void AddCommand(UINT nID, std::function<void()> handler);
    void AddCommandUpdate(UINT nID, std::function<void(CCmdUI&)> update);

private:
    struct Entry
    {
        std::function<void()> handler;
        std::function<void(CCmdUI&)> update;
    };
    std::map<UINT, Entry> m_commands;
};
