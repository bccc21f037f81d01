#include "tests/win/app/AppSession.h"

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>

#include "winfw/FwIds.h"
#include "tests/win/app/DocTestAccess.h"
#include "winbase/Wide.h"

AppSession::AppSession(std::vector<std::string> args, std::vector<gui::ModalScript::Answer> startAnswers)
{
    app.m_args = std::move(args);
    gui::ModalScript script;
    for (auto& answer : startAnswers)
        script.Then(answer);
    started = app.InitInstance();
    gui::Pump();
    startWindows = script.Seen();
    startUnexpected = script.Unexpected();
    if (started && FrameWnd())
        MoveWindow(FrameWnd(), 0, 0, 720, 540, TRUE);
    gui::Pump();
}

AppSession::~AppSession()
{
    gui::ModalScript script;   // closes whatever a test left open
    if (FrameWnd() && IsWindow(FrameWnd()))
        SendMessageA(FrameWnd(), WM_CLOSE, 0, 0);
    gui::Pump();
}

CImageDoc* AppSession::Doc() const
{
    CSingleDocTemplate* pTemplate = app.GetDocTemplate();
    return pTemplate ? static_cast<CImageDoc*>(pTemplate->GetDocument()) : nullptr;
}

CImageView* AppSession::View() const
{
    CSingleDocTemplate* pTemplate = app.GetDocTemplate();
    return pTemplate ? static_cast<CImageView*>(pTemplate->GetView()) : nullptr;
}

CMainFrame* AppSession::Frame() const
{
    CSingleDocTemplate* pTemplate = app.GetDocTemplate();
    return pTemplate ? static_cast<CMainFrame*>(pTemplate->GetFrame()) : nullptr;
}

HWND AppSession::FrameWnd() const { return Frame() ? Frame()->m_hWnd : nullptr; }

HWND AppSession::ViewWnd() const { return View() ? View()->m_hWnd : nullptr; }

HWND AppSession::StatusBarWnd() const { return GetDlgItem(FrameWnd(), AFX_IDW_STATUS_BAR); }

void AppSession::Command(UINT nID)
{
    SendMessageA(FrameWnd(), WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    gui::Pump();
}

std::vector<gui::SeenWindow> AppSession::OpenThroughDialog(const std::string& path,
                                                           std::vector<gui::ModalScript::Answer> more)
{
    more.insert(more.begin(), gui::ModalScript::OpenFile(path));
    return Answered(ID_FILE_OPEN, std::move(more));
}

std::vector<gui::SeenWindow> AppSession::SaveThroughDialog(const std::string& path)
{
    return Answered(ID_FILE_SAVE_AS, {gui::ModalScript::OpenFile(path), gui::ModalScript::Press(IDOK)});
}

std::vector<gui::SeenWindow> AppSession::Answered(UINT nID, std::vector<gui::ModalScript::Answer> answers)
{
    gui::ModalScript script;
    for (auto& answer : answers)
        script.Then(answer);
    Command(nID);
    std::vector<gui::SeenWindow> seen = script.Seen();
    for (const gui::SeenWindow& window : script.Unexpected())
        seen.push_back(window);
    return seen;
}

void AppSession::SetViewClientSize(int cx, int cy)
{
    RECT client, frame;
    GetClientRect(ViewWnd(), &client);
    GetWindowRect(FrameWnd(), &frame);
    // Scroll bars come and go with the size: settle in a few steps.
    for (int i = 0; i < 4; ++i)
    {
        GetClientRect(ViewWnd(), &client);
        GetWindowRect(FrameWnd(), &frame);
        int dx = cx - client.right, dy = cy - client.bottom;
        if (dx == 0 && dy == 0)
            break;
        MoveWindow(FrameWnd(), frame.left, frame.top, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                   TRUE);
        gui::Pump();
    }
}

void ShowSyntheticImage(AppSession& session, int width, int height, const std::function<uint32_t(int, int)>& colour)
{
    CImageDoc* pDoc = session.Doc();
    if (!CImageDocTestAccess::Image(*pDoc).Allocate(width, height))
        throw std::bad_alloc();
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
        {
            uint32_t rgb = colour(c, r);
            unsigned char* p = CImageDocTestAccess::Image(*pDoc).Pixels() + 3 * (static_cast<size_t>(width) * r + c);
            p[0] = static_cast<unsigned char>(rgb >> 16);
            p[1] = static_cast<unsigned char>(rgb >> 8);
            p[2] = static_cast<unsigned char>(rgb);
        }
    SetTestMode(pDoc, MODE_GEOREFERENCE);
    TestGeoRef(pDoc).m_points.clear();
    TestGeoRef(pDoc).SetImageHeight(height);
    CImageSessionTestAccess::ClearCurrent(pDoc->Session());
    session.View()->OnInitialUpdate();
    gui::Pump();
}

std::string CopyFixture(const std::string& fixture, const std::string& folder, const std::string& newName,
                        bool withPointFile)
{
    std::string target = folder + "\\" + newName;
    CopyFileW(Widen(gui::FixturePath(fixture)).c_str(), Widen(target).c_str(), FALSE);
    std::string pointFile = target.substr(0, target.rfind('.')) + ".tvg";
    DeleteFileW(Widen(pointFile).c_str());
    if (withPointFile)
    {
        std::string source = gui::FixturePath(fixture.substr(0, fixture.rfind('.')) + ".tvg");
        CopyFileW(Widen(source).c_str(), Widen(pointFile).c_str(), FALSE);
    }
    return target;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(std::filesystem::path(Widen(path)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(std::filesystem::path(Widen(path)), std::ios::binary | std::ios::trunc);
    out << bytes;
}
