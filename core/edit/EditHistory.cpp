#include "core/edit/EditHistory.h"

#include <utility>

bool CEditHistory::Do(CEdit edit, CEditTarget& target)
{
    if (!edit.Apply(true, target))
        return false;
    m_done.push_back(std::move(edit));
    m_undone.clear();
    Tell(m_done.back(), EditStep::Done);
    return true;
}

bool CEditHistory::Undo(CEditTarget& target)
{
    if (m_done.empty() || !m_done.back().Apply(false, target))
        return false;
    m_undone.push_back(std::move(m_done.back()));
    m_done.pop_back();
    Tell(m_undone.back(), EditStep::Undone);
    return true;
}

bool CEditHistory::Redo(CEditTarget& target)
{
    if (m_undone.empty() || !m_undone.back().Apply(true, target))
        return false;
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    Tell(m_done.back(), EditStep::Redone);
    return true;
}

void CEditHistory::Clear()
{
    m_done.clear();
    m_undone.clear();
}

void CEditHistory::Tell(const CEdit& edit, EditStep nStep) const
{
    for (const Listener& listener : m_listeners)
        listener(edit, nStep);
}
