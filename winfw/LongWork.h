// Long work off the user-interface thread: the windows stay painted, a
// progress bar in the status bar shows how far it got, the wait cursor
// stays, input is dropped until the work is done, and Escape cancels work
// that can stop early. Every long job of the program runs through it.
#pragma once

#include <atomic>
#include <functional>
#include <string>

// Where the work tells how far it got; safe from any thread.
class CProgress
{
public:
    // The share done, from 0 to 1.
    void Set(double done)
    {
        const int permille = done <= 0.0 ? 0 : done >= 1.0 ? 1000 : static_cast<int>(done * 1000.0);
        m_permille.store(permille, std::memory_order_relaxed);
    }
    int Permille() const { return m_permille.load(std::memory_order_relaxed); }

    // Whether the user asked the work to stop; work that can stop early
    // looks at it between its steps.
    bool Cancelled() const { return m_bCancelled.load(std::memory_order_relaxed); }
    void Cancel() { m_bCancelled.store(true, std::memory_order_relaxed); }

private:
    std::atomic<int> m_permille{0};
    std::atomic<bool> m_bCancelled{false};
};

struct CLongWorkOptions
{
    // Escape cancels the work (CProgress::Cancelled tells it).
    bool bCancellable = false;
    // The status line's text for the share done, in per cent, beside the
    // bar once the work has lasted half a second; none when empty.
    std::function<std::string(int nPercent)> statusText;
};

// Runs work on a thread of its own while this thread keeps the program's
// windows painted and shows the progress, and returns when it is done. Mouse
// and keyboard input and commands that arrive meanwhile are dropped, as a
// program busy on its own thread would leave them unanswered: nothing may
// change what the work reads. A window closed meanwhile (or the program
// quitting) cancels the work and is closed once it has ended. An exception
// of work is rethrown here. When no thread can be started the work runs here.
void FwRunLongWork(const std::function<void(CProgress& progress)>& work, const CLongWorkOptions& options = {});

// Whether long work is running: windows show the wait cursor.
bool FwIsBusy();
