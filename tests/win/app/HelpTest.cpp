// F1 and the About box open the user guide's page for where the user is,
// in whatever program the system opens .html files with: here a recorder
// registered as that program, which notes the file it was given.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "app/res/resource.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "winbase/Wide.h"

using gui::ModalScript;

namespace
{
const wchar_t kHtmlClass[] = L"QuarvexTest.Html";

// .html handed to the recorder for the test's life; the prefix's own
// association comes back afterwards.
class RecordingBrowser
{
public:
    RecordingBrowser()
    {
        m_log = gui::TempFolder("help") + "\\opened.txt";
        DeleteFileW(Widen(m_log).c_str());   // a run before this one left its own
        SetEnvironmentVariableW(L"QUARVEX_OPENED_LOG", Widen(m_log).c_str());
        m_previous = ReadDefault(L".html");
        const std::wstring command = L"\"" + Widen(gui::WindowsPath(QUARVEX_OPEN_RECORDER)) + L"\" \"%1\"";
        WriteDefault(std::wstring(kHtmlClass) + L"\\shell\\open\\command", command);
        WriteDefault(L".html", kHtmlClass);
    }
    ~RecordingBrowser()
    {
        WriteDefault(L".html", m_previous);
        SHDeleteKeyW(HKEY_CLASSES_ROOT, kHtmlClass);
    }

    // The file the recorder was given next, waiting for it to run; empty
    // when nothing was opened within a few seconds.
    std::string NextOpened()
    {
        for (int i = 0; i < 200; ++i)
        {
            const std::string text = ReadWholeFile(m_log);
            const size_t end = text.find('\n', m_consumed);
            if (end != std::string::npos)
            {
                const std::string line = text.substr(m_consumed, end - m_consumed);
                m_consumed = end + 1;
                return line;
            }
            gui::Pump();
            Sleep(50);
        }
        return std::string();
    }

private:
    static std::wstring ReadDefault(const std::wstring& key)
    {
        wchar_t value[256] = {};
        LONG cb = sizeof(value) - sizeof(wchar_t);
        RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &cb);
        return value;
    }
    static void WriteDefault(const std::wstring& key, const std::wstring& value)
    {
        HKEY hKey = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
    }

    std::string m_log;
    std::wstring m_previous;
    size_t m_consumed = 0;
};

std::string GuidePage(const std::string& page)
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD cch = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::string folder = Narrow(std::wstring(path, cch));
    folder.resize(folder.find_last_of('\\'));
    return folder + "\\guide\\" + page;
}

// A modal dialog's answer: F1 where the focus is, then Cancel.
ModalScript::Answer PressF1ThenCancel()
{
    return [](HWND hDialog) {
        HWND hFocus = GetFocus();
        PostMessageW(hFocus && IsChild(hDialog, hFocus) ? hFocus : hDialog, WM_KEYDOWN, VK_F1, 1);
        PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
    };
}
}   // namespace

TEST(Help, F1OpensThePageOfTheWindowItIsPressedIn)
{
    RecordingBrowser browser;
    const std::string image =
        CopyFixture("../../../../samples/sample_map.jpg", gui::TempFolder("help-sample"), "sample_map.jpg");
    AppSession session({image});
    ASSERT_TRUE(session.started);

    // The main window: through the accelerator table, and the Help menu.
    gui::PressKey(session.ViewWnd(), VK_F1, {});
    EXPECT_EQ(browser.NextOpened(), GuidePage("index.html"));
    EXPECT_EQ(gui::MenuText(session.FrameWnd(), ID_HELP_USER_GUIDE), "&User Guide\tF1");

    // A modal dialog: its own page, not the main window's.
    {
        ModalScript script;
        script.Then(PressF1ThenCancel());
        session.Command(ID_VIEW_SNAP_TOLERANCE);
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_TRUE(script.Unexpected().empty());
    }
    EXPECT_EQ(browser.NextOpened(), GuidePage("snap-and-trace.html"));

    // A tool window: the accelerator table would take F1 for the main window.
    session.Command(ID_VIEW_FEATURES);
    CFeaturesWnd* pFeatures = session.Frame()->GetFeaturesWnd();
    ASSERT_TRUE(pFeatures->IsOpen());
    gui::PressKey(GetDlgItem(pFeatures->m_hWnd, IDC_FEATURES_LIST), VK_F1, {});
    EXPECT_EQ(browser.NextOpened(), GuidePage("features.html"));
    session.Command(ID_VIEW_FEATURES);

    // The About box's button: the contents.
    {
        ModalScript script;
        script.Then([](HWND hDialog) {
            PostMessageW(hDialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_GUIDE, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hDialog, IDC_ABOUT_GUIDE)));
            PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
        });
        session.Command(ID_APP_ABOUT);
        EXPECT_EQ(script.Pending(), 0u);
    }
    EXPECT_EQ(browser.NextOpened(), GuidePage("index.html"));
}

TEST(Help, AMissingGuideIsToldWithItsPath)
{
    std::wstring guide = Widen(GuidePage(""));
    guide.pop_back();
    const std::wstring away = guide + L"-away";
    ASSERT_TRUE(MoveFileW(guide.c_str(), away.c_str()));
    AppSession session;
    ModalScript script;
    script.Then(ModalScript::Press(IDOK));
    gui::PressKey(session.FrameWnd(), VK_F1, {});
    MoveFileW(away.c_str(), guide.c_str());
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].message, "This file, which comes with the program, is missing (installing the program "
                                        "again puts it back): " +
                                            GuidePage("index.html"));
}
