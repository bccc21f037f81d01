// The undo history: every edit applied through it is kept, so that it can
// be taken back and applied again, and every step is told to the listeners
// (the point file's rewrite, the windows, a journal) with the edit itself.
#pragma once

#include <functional>
#include <vector>

#include "core/edit/Edit.h"

enum class EditStep
{
    Done,     // a new edit, applied
    Undone,   // an edit taken back
    Redone,   // an edit taken back and applied again
};

class CEditHistory
{
public:
    using Listener = std::function<void(const CEdit& edit, EditStep nStep)>;

    // Applies the edit to the target and keeps it; whatever could be redone
    // goes. False, with nothing kept or told, when the edit does not apply.
    bool Do(CEdit edit, CEditTarget& target);
    bool Undo(CEditTarget& target);
    bool Redo(CEditTarget& target);

    // The edit Undo or Redo would take, or null.
    const CEdit* NextUndo() const { return m_done.empty() ? nullptr : &m_done.back(); }
    const CEdit* NextRedo() const { return m_undone.empty() ? nullptr : &m_undone.back(); }

    // Forgets every step (a new image, a new document).
    void Clear();

    // Called after every step, in the order added.
    void AddListener(Listener listener) { m_listeners.push_back(std::move(listener)); }

private:
    void Tell(const CEdit& edit, EditStep nStep) const;

    std::vector<CEdit> m_done;
    std::vector<CEdit> m_undone;
    std::vector<Listener> m_listeners;
};
