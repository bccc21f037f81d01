// What every part of tavoinst shares: this library's module handle (its
// dialogs, bitmaps and message-box title come from it), the two kinds of
// message box, message pumping and small file helpers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace postinst
{

HMODULE ThisModule();
void SetThisModule(HMODULE module);

// Owned by the engine's window, explicit caption, OK, no icon.
void DirectMessageBox(HWND owner, const std::string& text, const char* caption);
// Owned by the active window, caption "tavoinst", warning icon, OK.
void FrameworkMessageBox(const std::string& text);
extern const char kFrameworkCaption[];

// Removes, translates and dispatches one waiting message, if any.
void DispatchOneMessage();
// Dispatches every waiting message until the queue is empty.
void DispatchWaitingMessages();

// Pumps messages until the process has ended and returns its exit code;
// (DWORD)-1 when the status cannot be read (a null handle included).
DWORD WaitForProcess(HWND window, HANDLE process);

std::string SystemDirectory();
// The names matching a FindFirstFile pattern, without ".", ".." and other
// dot-entries; files and directories alike.
std::vector<std::string> ListedEntries(const std::string& pattern);
bool PathExists(const std::string& path);
// Clears the read-only attribute.
void MakeWritable(const std::string& path);

}   // namespace postinst
