#include "core/preinst/PreInstChecks.h"

const char* const kPreInstCaption = "Set-up";
const char* const kIeKey = "SOFTWARE\\Microsoft\\Internet Explorer";
const char* const kIeVersionValue = "Version";
const char* const kReaderKey = "SOFTWARE\\Adobe\\Acrobat Reader";
const char* const kReader3Key = "SOFTWARE\\Adobe\\Acrobat Reader 3.0";
const char* const kIeInstallerOnMedia = "ie6\\en\\ie6setup.exe";
const char* const kReaderInstallerOnMedia = "Acrobat\\ar40eng.exe";

const char* PreInstMessageText(PreInstMessage message)
{
    switch (message)
    {
    case PREINST_OFFER_IE:
        return "Setup has detected that Internet Explorer is not installed (or is an older version) on your "
               "computer.  The TAVO will not run without this software.\r\n\r\n"
               "Do you wish to install IE6 now?\r\n";
    case PREINST_RE_RUN: return "Once finished please re-run this TAVO setup.";
    case PREINST_INSTALL_IE: return "Please install Internet Explorer and then repeat this installation.";
    case PREINST_IE_REQUIRED:
        return "The TAVO requires Internet Explorer version 4.02 SP1 or above to be installed on your computer.  "
               "Please install Internet Explorer on your computer and then repeat this installation.";
    case PREINST_NO_READER:
        return "Adobe Acrobat Reader is not installed on your computer.  You should install this software in "
               "order to read the documentation provided with the TAVO.";
    case PREINST_OFFER_READER:
        return "Adobe Acrobat Reader 4.0 is not installed on your computer.  This is necessary in order to read "
               "the documentation provided with the TAVO.  Would you like to install the software now?\r\n";
    }
    return "";
}

bool IsYesNoMessage(PreInstMessage message) { return message == PREINST_OFFER_IE || message == PREINST_OFFER_READER; }

namespace
{

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the decimal number at pos; false when there is no digit there.
// Large numbers saturate: only "above 4" and "at least 72" matter.
bool ReadNumber(std::string_view text, std::size_t& pos, unsigned& number)
{
    const std::size_t start = pos;
    number = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        number = number > 100000 ? number : number * 10 + unsigned(text[pos] - '0');
    return pos > start;
}

}   // namespace

bool IsIeVersionRecentEnough(std::string_view version)
{
    version = version.substr(0, version.find('\0'));
    std::size_t pos = 0;
    unsigned major = 0;
    if (!ReadNumber(version, pos, major))
        return false;
    if (major != 4)
        return major > 4;
    if (pos >= version.size() || version[pos] != '.')
        return false;
    ++pos;
    unsigned minor = 0;
    return ReadNumber(version, pos, minor) && minor >= 72;
}

CPathString FormMediaPath(const char* source, const char* relative)
{
    CPathString path(source != nullptr ? source : "");
    if (path.GetLength() == 0 || path.GetAt(path.GetLength() - 1) != '\\')
        path.Append("\\");
    path.Append(relative);
    return path;
}

std::string QuotedCommandLine(const char* path) { return std::string("\"") + path + "\""; }

namespace
{

bool InstallerPresent(IPreInstSystem& system, const CPathString& path)
{
    // A path that did not fit names no file we could start.
    return path.IsComplete() && system.FileExists(path.GetText());
}

}   // namespace

bool RunPreInstChecks(IPreInstSystem& system, const char* source)
{
    // Internet Explorer is needed to run the application: without it the
    // installation stops. The installer on the media is offered only when a
    // version was read and found too old; a missing key or value just stops.
    std::string version;
    const bool ieVersionRead = system.ReadIeVersion(version);
    if (!ieVersionRead || !IsIeVersionRecentEnough(version))
    {
        const CPathString ieInstaller = FormMediaPath(source, kIeInstallerOnMedia);
        if (ieVersionRead && InstallerPresent(system, ieInstaller))
        {
            if (system.ShowMessage(PREINST_OFFER_IE))
            {
                system.ShowMessage(PREINST_RE_RUN);
                system.StartProgram(QuotedCommandLine(ieInstaller.GetText()).c_str());
            }
            else
            {
                system.ShowMessage(PREINST_INSTALL_IE);
            }
            return false;
        }
        system.ShowMessage(PREINST_IE_REQUIRED);
        return false;
    }

    // Acrobat Reader only serves the documentation: without it the
    // installation goes on unless the user starts the Reader installer first.
    if (system.KeyExists(kReaderKey) || system.KeyExists(kReader3Key))
        return true;
    const CPathString readerInstaller = FormMediaPath(source, kReaderInstallerOnMedia);
    if (!InstallerPresent(system, readerInstaller))
    {
        system.ShowMessage(PREINST_NO_READER);
        return true;
    }
    if (!system.ShowMessage(PREINST_OFFER_READER))
        return true;
    system.ShowMessage(PREINST_RE_RUN);
    system.StartProgram(QuotedCommandLine(readerInstaller.GetText()).c_str());
    return false;
}
