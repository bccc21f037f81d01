#include "winbase/Handles.h"
#include "installer/post/Module.h"
#include "installer/post/OdbcSetup.h"
#include "core/postinst/PostInstText.h"
#include "installer/post/ProgressDlg.h"
#include "installer/post/Steps.h"

#include <cstdio>

namespace postinst
{

namespace
{

// The volume and file index of an existing file, whatever path names it.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION* pInfo)
{
    UniqueFileHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    return file && GetFileInformationByHandle(file.Get(), pInfo);
}

bool SameFile(const std::string& a, const std::string& b)
{
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    return FileIdentity(a, &infoA) && FileIdentity(b, &infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber && infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// Copies in 1 KB chunks and lets the message queue run after each, so the
// progress picture moves and the engine's window repaints.
bool CopyInChunks(const std::string& from, const std::string& to)
{
    // The media's file is opened before the installed one is touched: a
    // missing or unreadable media file leaves an existing database as it was.
    UniqueStdioFile source(std::fopen(from.c_str(), "rb"));
    if (!source)
        return false;
    // Media and installation folder may be one: writing the file onto itself
    // would empty it, so the database already in place counts as copied.
    if (SameFile(from, to))
        return true;
    MakeWritable(to);
    std::remove(to.c_str());
    UniqueStdioFile target(std::fopen(to.c_str(), "wb"));
    if (!target)
        return false;

    char buffer[1024];
    bool failed = false;
    while (!failed)
    {
        const size_t got = std::fread(buffer, 1, sizeof buffer, source.Get());
        if (got == 0)
            break;
        if (std::fwrite(buffer, 1, got, target.Get()) < got)
            failed = true;
        DispatchWaitingMessages();
    }
    // A read error ends the loop like the end of the file: it must not pass for a full copy.
    if (std::ferror(source.Get()))
        failed = true;
    // A full disk may only show when the last buffer is flushed.
    if (std::fclose(target.Release()) != 0)
        failed = true;
    return !failed;
}
}   // namespace

bool CopyDatabase(const std::string& sourceDir, const std::string& targetDir)
{
    const std::string source = WithTrailingBackslash(sourceDir);
    const std::string target = WithTrailingBackslash(targetDir);

    char name[80] = "";
    GetPrivateProfileStringA("TAVOINST", "Database", "", name, sizeof name, (source + "TAVOINST.INI").c_str());
    if (name[0] == '\0')
        return false;

    CProgressDlg progress(nullptr, nullptr);
    bool result = false;
    if (CopyInChunks(source + name, target + name))
    {
        MakeWritable(target + name);
        result = CreateDataSource(target + name);
    }
    else
    {
        FrameworkMessageBox(std::string("Error copying file: ") + name);
    }

    const std::string companion = CompanionFileName(name);
    CopyFileA((source + companion).c_str(), (target + companion).c_str(), FALSE);
    MakeWritable(target + companion);
    return result;
}

}   // namespace postinst
