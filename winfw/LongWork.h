// Long work off the user-interface thread: the windows stay painted, a
// progress bar in the status bar shows how far it got, the wait cursor
// stays, and input waits until the work is done.
#pragma once

#include <atomic>
#include <functional>

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

private:
    std::atomic<int> m_permille{0};
};

// Runs work on a thread of its own while this thread keeps the program's
// windows painted and shows the progress, and returns when it is done. Mouse
// and keyboard input that arrives meanwhile is dropped, as a program busy on
// its own thread would leave it unanswered. An exception of work is
// rethrown here. When no thread can be started the work runs here.
void FwRunLongWork(const std::function<void(CProgress& progress)>& work);

// Whether long work is running: windows show the wait cursor.
bool FwIsBusy();
