#include "tests/win/app/GuiDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "winfw/WinApp.h"
#include "winbase/Wide.h"

namespace gui
{
namespace
{
ModalScript* g_pScript = nullptr;

// Control ids of the common file dialog: file name combo box and edit.
const int kFileNameCombo = 0x47C;
const int kFileNameEdit = 0x480;
// The static control holding a message box's text.
const int kMessageBoxText = 0xFFFF;

BOOL CALLBACK CollectDialogs(HWND hWnd, LPARAM lParam)
{
    char cls[64] = {};
    GetClassNameA(hWnd, cls, sizeof(cls));
    // A modal window has disabled its owner; a tool window (modeless) has not.
    HWND hOwner = GetWindow(hWnd, GW_OWNER);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hWnd) && IsWindowEnabled(hWnd) &&
        !(hOwner && IsWindowEnabled(hOwner)))
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

Capture CaptureFrom(HWND hWnd, HDC hSource, int width, int height)
{
    Capture capture;
    capture.width = width;
    capture.height = height;
    capture.pixels.assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HDC hMemory = CreateCompatibleDC(hSource);
    HBITMAP hBitmap = CreateDIBSection(hSource, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    BitBlt(hMemory, 0, 0, width, height, hSource, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* pPixels = static_cast<const uint32_t*>(pBits);
    for (size_t i = 0; i < capture.pixels.size(); ++i)
        capture.pixels[i] = pPixels[i] & 0x00FFFFFF;
    SelectObject(hMemory, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hMemory);
    (void)hWnd;
    return capture;
}
}

void Pump()
{
    if (CWinApp* pApp = FwGetApp())
    {
        pApp->PumpWaitingMessages();
        return;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string Text(HWND hWnd)
{
    int cch = GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
    cch = GetWindowTextW(hWnd, &text[0], cch + 1);
    text.resize(static_cast<size_t>(std::max(cch, 0)));
    return Narrow(text);
}

std::string ItemText(HWND hDialog, int nID) { return Text(GetDlgItem(hDialog, nID)); }

std::string MessageText(HWND hBox) { return ItemText(hBox, kMessageBoxText); }

std::vector<std::string> ComboItems(HWND hDialog, int nID)
{
    std::vector<std::string> items;
    HWND hCombo = GetDlgItem(hDialog, nID);
    int count = static_cast<int>(SendMessageA(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        int cch = static_cast<int>(SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0));
        std::wstring item(static_cast<size_t>(std::max(cch, 0)) + 1, L'\0');
        SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        item.resize(static_cast<size_t>(std::max(cch, 0)));
        items.push_back(Narrow(item));
    }
    return items;
}

void Click(HWND hDialog, int nID)
{
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDialog, nID)));
}

void AnswerFileDialog(HWND hDialog, const std::string& path)
{
    for (int nID : {kFileNameCombo, kFileNameEdit})
        if (GetDlgItem(hDialog, nID))
            SetDlgItemTextW(hDialog, nID, Widen(path).c_str());
    Click(hDialog, IDOK);
}

ModalScript::ModalScript()
{
    g_pScript = this;
    m_nTimer = SetTimer(nullptr, 0, 30, OnTimer);
}

ModalScript::~ModalScript()
{
    KillTimer(nullptr, m_nTimer);
    if (g_pScript == this)
        g_pScript = nullptr;
}

ModalScript& ModalScript::Then(Answer answer)
{
    m_answers.push_back(std::move(answer));
    return *this;
}

ModalScript::Answer ModalScript::Press(int nID)
{
    return [nID](HWND hWindow) { Click(hWindow, nID); };
}

ModalScript::Answer ModalScript::OpenFile(const std::string& path)
{
    return [path](HWND hWindow) { AnswerFileDialog(hWindow, path); };
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_pScript)
        g_pScript->Poll();
}

void ModalScript::Poll()
{
    m_handled.erase(std::remove_if(m_handled.begin(), m_handled.end(), [](HWND h) { return !IsWindow(h); }),
                    m_handled.end());
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND hWnd : dialogs)
    {
        if (std::find(m_handled.begin(), m_handled.end(), hWnd) != m_handled.end())
            continue;
        m_handled.push_back(hWnd);
        SeenWindow seen{Text(hWnd), MessageText(hWnd)};
        if (m_answers.empty())
        {
            m_unexpected.push_back(seen);
            for (int nID : {IDCANCEL, IDNO, IDOK})
                if (GetDlgItem(hWnd, nID))
                {
                    Click(hWnd, nID);
                    break;
                }
            continue;
        }
        m_seen.push_back(seen);
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        answer(hWnd);
    }
}

bool Capture::SaveBmp(const std::string& path) const
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * height;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info, sizeof(info), 1, f);
    std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
    for (int y = height - 1; y >= 0; --y)
    {
        for (int x = 0; x < width; ++x)
        {
            uint32_t p = At(x, y);
            row[3 * x] = p & 0xFF;
            row[3 * x + 1] = (p >> 8) & 0xFF;
            row[3 * x + 2] = (p >> 16) & 0xFF;
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

Capture CaptureClient(HWND hWnd)
{
    UpdateWindow(hWnd);
    Pump();
    RECT rc;
    GetClientRect(hWnd, &rc);
    HDC hDC = GetDC(hWnd);
    Capture capture = CaptureFrom(hWnd, hDC, rc.right, rc.bottom);
    ReleaseDC(hWnd, hDC);
    return capture;
}

Capture CaptureWindow(HWND hWnd)
{
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    RECT rc;
    GetWindowRect(hWnd, &rc);
    HDC hDC = GetWindowDC(hWnd);
    Capture capture = CaptureFrom(hWnd, hDC, rc.right - rc.left, rc.bottom - rc.top);
    ReleaseDC(hWnd, hDC);
    return capture;
}

Capture CaptureScreen(const RECT& rc)
{
    RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    HDC hScreen = GetDC(nullptr);
    HDC hSource = CreateCompatibleDC(hScreen);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, width, height);
    HGDIOBJ hOld = SelectObject(hSource, hBitmap);
    BitBlt(hSource, 0, 0, width, height, hScreen, rc.left, rc.top, SRCCOPY);
    Capture capture = CaptureFrom(nullptr, hSource, width, height);
    SelectObject(hSource, hOld);
    DeleteObject(hBitmap);
    DeleteDC(hSource);
    ReleaseDC(nullptr, hScreen);
    return capture;
}

void PressKey(HWND hTarget, UINT nVirtualKey, std::vector<UINT> modifiers)
{
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    std::copy(saved, saved + 256, state);
    for (UINT key : modifiers)
        state[key] |= 0x80;
    SetKeyboardState(state);
    PostMessageA(hTarget, WM_KEYDOWN, nVirtualKey, 1);
    PostMessageA(hTarget, WM_KEYUP, nVirtualKey, 0xC0000001);
    Pump();
    SetKeyboardState(saved);
}

int ListRows(HWND hList) { return static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListCell(HWND hList, int row, int column)
{
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(hList, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
}

MenuState GetMenuState(HWND hFrame, UINT nID)
{
    MenuState state;
    HMENU hBar = GetMenu(hFrame);
    for (int i = 0; i < GetMenuItemCount(hBar); ++i)
    {
        HMENU hPopup = GetSubMenu(hBar, i);
        if (!hPopup || ::GetMenuState(hPopup, nID, MF_BYCOMMAND) == static_cast<UINT>(-1))
            continue;
        SendMessageA(hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), MAKELPARAM(i, FALSE));
        // An item of a submenu is brought up to date when that submenu opens.
        for (HMENU hHolder = hPopup; hHolder;)
        {
            HMENU hDeeper = nullptr;
            for (int k = 0; k < GetMenuItemCount(hHolder) && !hDeeper; ++k)
            {
                HMENU hSub = GetSubMenu(hHolder, k);
                if (hSub && ::GetMenuState(hSub, nID, MF_BYCOMMAND) != static_cast<UINT>(-1))
                {
                    SendMessageA(hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hSub), MAKELPARAM(k, FALSE));
                    hDeeper = hSub;
                }
            }
            hHolder = hDeeper;
        }
        UINT flags = ::GetMenuState(hPopup, nID, MF_BYCOMMAND);
        state.found = true;
        state.enabled = (flags & (MF_GRAYED | MF_DISABLED)) == 0;
        state.checked = (flags & MF_CHECKED) != 0;
        break;
    }
    return state;
}

std::string MenuText(HWND hFrame, UINT nID)
{
    GetMenuState(hFrame, nID);   // sends the menu its WM_INITMENUPOPUP
    wchar_t text[128] = {};
    GetMenuStringW(GetMenu(hFrame), nID, text, static_cast<int>(std::size(text)), MF_BYCOMMAND);
    return Narrow(text);
}

std::string TempFolder(const std::string& name)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::string folder = Narrow(temp) + "quarvex-app-tests";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    folder += "\\" + name;
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder;
}

std::string FixturePath(const std::string& name) { return WindowsPath(QUARVEX_APP_TEST_DATA + ("/" + name)); }

std::string WindowsPath(std::string path)
{
    if (!path.empty() && path.front() == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string OutputFolder(const char* pszVariable, const std::string& name)
{
    const char* pszOut = std::getenv(pszVariable);
    if (!pszOut || !*pszOut)
        return TempFolder(name);
    const std::string folder = WindowsPath(pszOut);
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder;
}
}
