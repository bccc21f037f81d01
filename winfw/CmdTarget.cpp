#include "winfw/CmdTarget.h"

bool CCmdTarget::DoCommand(UINT nID)
{
    auto it = m_commands.find(nID);
    if (it == m_commands.end() || !it->second.handler)
        return false;
    it->second.handler();
    return true;
}

bool CCmdTarget::DoUpdate(CCmdUI& ui)
{
    auto it = m_commands.find(ui.m_nID);
    if (it == m_commands.end())
        return false;
    ui.m_bEnabled = true;
    ui.m_bChecked = false;
    if (it->second.update)
        it->second.update(ui);
    return true;
}

void CCmdTarget::AddCommand(UINT nID, std::function<void()> handler) { m_commands[nID].handler = std::move(handler); }

void CCmdTarget::AddCommandUpdate(UINT nID, std::function<void(CCmdUI&)> update)
{
    m_commands[nID].update = std::move(update);
}
