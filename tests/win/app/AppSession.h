// One run of the program inside the test process: start-up as from a
// command line, the real frame, view and document, and an orderly close.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ImageApp.h"
#include "app/ImageDoc.h"
#include "app/MainFrame.h"
#include "tests/win/app/GuiDriver.h"
#include "app/ImageView.h"

class AppSession
{
public:
    // Starts the program with these command-line arguments. The modal
    // windows of start-up (the File Open dialog it opens at once, or a
    // message) are answered in order by startAnswers.
    explicit AppSession(std::vector<std::string> args = {},
                        std::vector<gui::ModalScript::Answer> startAnswers = {gui::ModalScript::Cancel()});
    ~AppSession();

    CImageDoc* Doc() const;
    CImageView* View() const;
    CMainFrame* Frame() const;
    HWND FrameWnd() const;
    HWND ViewWnd() const;
    HWND StatusBarWnd() const;

    // A menu command, as if chosen from the menu.
    void Command(UINT nID);
    // File Open answered with path; further modal windows (a failure
    // message) get the answers given. Returns what the script saw.
    std::vector<gui::SeenWindow> OpenThroughDialog(const std::string& path,
                                                   std::vector<gui::ModalScript::Answer> more = {});
    // Save As answered with path, and OK to the message that follows.
    std::vector<gui::SeenWindow> SaveThroughDialog(const std::string& path);
    // Makes the view's client area cx x cy pixels.
    void SetViewClientSize(int cx, int cy);

    // A command with the answers to the windows it opens; returns what the
    // script saw, the unexpected windows last.
    std::vector<gui::SeenWindow> Answered(UINT nID, std::vector<gui::ModalScript::Answer> answers);

    CImageApp app;
    BOOL started = FALSE;
    std::vector<gui::SeenWindow> startWindows;
    std::vector<gui::SeenWindow> startUnexpected;
};

// Puts a width x height image made by colour(c, r) -> 0x00RRGGBB into the
// document in place of a decoded JPEG, without control points, and lets
// the view start on it as after an open.
void ShowSyntheticImage(AppSession& session, int width, int height, const std::function<uint32_t(int, int)>& colour);

// Copies a fixture (and its point file, when it has one and withPointFile)
// under a test folder as newName; returns the new path.
std::string CopyFixture(const std::string& fixture, const std::string& folder, const std::string& newName,
                        bool withPointFile = true);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
