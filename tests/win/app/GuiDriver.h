// Drives the program's real windows from a test on the UI thread: answers
// the modal dialogs and message boxes it opens, reads their texts, sends
// menu commands and keys, and captures the pixels of a window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace gui
{
// Dispatches what waits in this thread's queue (accelerators included,
// through the running application).
void Pump();

std::string Text(HWND hWnd);
std::string ItemText(HWND hDialog, int nID);
// The message of a message box.
std::string MessageText(HWND hBox);
// The entries of a combo box of a dialog.
std::vector<std::string> ComboItems(HWND hDialog, int nID);
// The rows of a list view, and the text of one of its cells.
int ListRows(HWND hList);
std::string ListCell(HWND hList, int row, int column);
// Presses a button of a dialog (posted: the dialog's own loop runs it).
void Click(HWND hDialog, int nID);
// Types a path into a common Open/Save dialog and presses its OK button.
void AnswerFileDialog(HWND hDialog, const std::string& path);

// One modal window as the script saw it when it came up.
struct SeenWindow
{
    std::string title;
    std::string message;   // a message box's text; empty for other dialogs
};

// Answers, in order, the modal windows (dialogs, message boxes, the common
// dialogs) that the code under test opens on this thread while the script
// lives. A window nobody expected is recorded and closed with Cancel/No/OK.
class ModalScript
{
public:
    using Answer = std::function<void(HWND hWindow)>;

    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // The answer to the next modal window.
    ModalScript& Then(Answer answer);
    size_t Pending() const { return m_answers.size(); }
    const std::vector<SeenWindow>& Seen() const { return m_seen; }
    const std::vector<SeenWindow>& Unexpected() const { return m_unexpected; }

    // Ready-made answers.
    static Answer Press(int nID);
    static Answer Cancel() { return Press(IDCANCEL); }
    static Answer OpenFile(const std::string& path);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    UINT_PTR m_nTimer;
    std::deque<Answer> m_answers;
    std::vector<HWND> m_handled;
    std::vector<SeenWindow> m_seen;
    std::vector<SeenWindow> m_unexpected;
};

// The client area of a window as it is on the screen, 0x00RRGGBB a pixel.
struct Capture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes a 24-bit BMP file (for the documentation screenshots).
    bool SaveBmp(const std::string& path) const;
};
Capture CaptureClient(HWND hWnd);
// The whole window, frame and menu included.
Capture CaptureWindow(HWND hWnd);
// A rectangle of the screen as it shows, with every window over it.
Capture CaptureScreen(const RECT& rc);

// 0x00RRGGBB of a colour reference (0x00BBGGRR).
inline uint32_t Rgb(COLORREF cr) { return (GetRValue(cr) << 16) | (GetGValue(cr) << 8) | GetBValue(cr); }

// Presses keys as the user would, for the accelerators: holds the modifier
// keys (VK_CONTROL, VK_SHIFT, VK_MENU) in the thread's keyboard state, posts
// the key to hTarget and pumps.
void PressKey(HWND hTarget, UINT nVirtualKey, std::vector<UINT> modifiers);

// Enabled/checked state of a menu command as the menu shows it when opened.
struct MenuState
{
    bool found = false;
    bool enabled = false;
    bool checked = false;
};
MenuState GetMenuState(HWND hFrame, UINT nID);
// The label of a menu command as the menu shows it when opened.
std::string MenuText(HWND hFrame, UINT nID);

// A file path under a fresh temporary folder of this test run (Windows form).
std::string TempFolder(const std::string& name);
// The path of a test fixture (tests/win/app/data) in Windows form.
std::string FixturePath(const std::string& name);
// A Linux path in Windows form, seen through Wine's Z: drive.
std::string WindowsPath(std::string path);
// The folder that an environment variable names (a Linux path, for checks
// run natively afterwards), created, in Windows form; without it the
// temporary folder of that name.
std::string OutputFolder(const char* pszVariable, const std::string& name);
}
