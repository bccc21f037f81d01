#pragma once
// The pre-install checks of tavopre.dll as a function over plain inputs: the
// registry, the file system, the message boxes and the process start are
// reached through IPreInstSystem, so the whole decision flow runs in tests
// without Windows.

#include <string>
#include <string_view>

#include "core/preinst/PathString.h"

// The messages, each shown with the caption "Set-up" and no icon.
enum PreInstMessage
{
    PREINST_OFFER_IE,       // Yes/No
    PREINST_RE_RUN,         // OK
    PREINST_INSTALL_IE,     // OK
    PREINST_IE_REQUIRED,    // OK
    PREINST_NO_READER,      // OK
    PREINST_OFFER_READER,   // Yes/No
};

const char* PreInstMessageText(PreInstMessage message);
bool IsYesNoMessage(PreInstMessage message);

extern const char* const kPreInstCaption;
extern const char* const kIeKey;   // under HKEY_LOCAL_MACHINE
extern const char* const kIeVersionValue;
extern const char* const kReaderKey;            // under HKEY_LOCAL_MACHINE
extern const char* const kReader3Key;           // under HKEY_LOCAL_MACHINE
extern const char* const kIeInstallerOnMedia;   // relative to the media directory
extern const char* const kReaderInstallerOnMedia;
constexpr std::size_t kIeVersionMaxBytes = 32;

class IPreInstSystem
{
public:
    virtual ~IPreInstSystem() = default;
    // The raw bytes of HKLM\<kIeKey> value <kIeVersionValue>, of any type;
    // false when the key or the value is missing or the value is longer
    // than kIeVersionMaxBytes.
    virtual bool ReadIeVersion(std::string& bytes) = 0;
    // Does the key under HKEY_LOCAL_MACHINE exist (can it be opened)?
    virtual bool KeyExists(const char* subKey) = 0;
    virtual bool FileExists(const char* path) = 0;
    // Shows the message; true when the user answered Yes.
    virtual bool ShowMessage(PreInstMessage message) = 0;
    // Starts a program without waiting for it.
    virtual void StartProgram(const char* commandLine) = 0;
};

// Internet Explorer 4.72 (4.01 SP1) or later: the version's major number is
// above 4, or it is 4 and the minor number is at least 72. The text ends at
// its first NUL; anything that does not start "digits" (major above 4) or
// "4.digits" is too old.
bool IsIeVersionRecentEnough(std::string_view version);

// source + "\" (unless it ends in one) + relative. An incomplete result
// (IsComplete() false) when it would not fit in a CPathString.
CPathString FormMediaPath(const char* source, const char* relative);

// The command line that starts exactly the program at path: the path in
// double quotes, so a space in it cannot make Windows start a shorter prefix.
std::string QuotedCommandLine(const char* path);

// True lets the installation go on, false stops it.
bool RunPreInstChecks(IPreInstSystem& system, const char* source);
