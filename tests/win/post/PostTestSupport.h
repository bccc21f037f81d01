// What the tavoinst tests share: the dialogs and message boxes seen and
// answered on the calling thread, a fresh registry state, and a fake media
// folder and installation directory per test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/core/TestFiles.h"

namespace posttest
{

// One message box or dialog as it was activated.
struct SeenWindow
{
    std::string caption;
    std::string text;   // the message of a box, the line 2004 of the progress window
    bool warningIcon = false;
    HWND owner = nullptr;
    HWND window = nullptr;
    std::vector<std::string> buttons;
    bool messageBox = false;
    bool progress = false;
    bool language = false;
};

// Watches the windows activated on this thread (WH_CBT): message boxes are
// recorded and answered with their first button, the progress window is
// recorded, the language dialog is handed to a handler.
class DialogWatcher
{
public:
    DialogWatcher();
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    std::vector<SeenWindow> seen;
    // Runs when the language dialog is activated; the default presses OK.
    std::function<void(HWND)> onLanguageDialog;

    std::vector<SeenWindow> MessageBoxes() const;
    // The texts of the message boxes, in order.
    std::vector<std::string> MessageTexts() const;
    bool SawProgress(const std::string& text) const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);
    HHOOK m_hook = nullptr;
};

std::string WindowText(HWND window);

// The items of a combo box: text and item value.
struct ComboItem
{
    std::string text;
    LPARAM value;
};
std::vector<ComboItem> ComboItems(HWND combo);

// Registry helpers.
void DeleteKey(HKEY root, const std::string& path);
void SetString(HKEY root, const std::string& path, const char* name, const std::string& value);
bool ReadString(HKEY root, const std::string& path, const char* name, std::string& value);
bool ReadDword(HKEY root, const std::string& path, const char* name, DWORD& value);
bool KeyExists(HKEY root, const std::string& path);

// Files.
using ::ReadFileBytes;
using ::WriteFileBytes;
bool Exists(const std::string& path);
void MakeDir(const std::string& path);
void RemoveTree(const std::string& path);
void SetReadOnly(const std::string& path);
bool IsReadOnly(const std::string& path);
std::vector<std::string> DirectoryNames(const std::string& directory);

// The folder of the running test program, with a trailing backslash.
std::string ProgramDir();
std::string TempDir();

extern const char kAppPathsKey[];

// Every test starts from a fresh registry state (no App Paths entry, no .tvm
// association, none of our drivers or data sources) and its own media folder
// and installation directory, both removed afterwards.
class PostInstFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    void SetAppPath(const std::string& programPath);

    std::string m_root;      // with trailing backslash
    std::string m_media;     // with trailing backslash, as the engine passes it
    std::string m_install;   // without
    HWND m_engine = nullptr;
};

void ResetRegistry();

}   // namespace posttest
