// The data-access component installers of the media: MDAC\mdac_typ.exe run
// unattended, and jet4\jetsetup.inf processed by the media's advpack.dll.
#include "winbase/Handles.h"
#include "installer/post/Module.h"
#include "core/postinst/PostInstText.h"
#include "installer/post/ProgressDlg.h"
#include "installer/post/Steps.h"

#include <direct.h>
#include <vector>

namespace postinst
{

namespace
{

void RepaintEngineWindow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}   // namespace

int InstallMdac(HWND window, const std::string& source)
{
    const std::string path = source + "MDAC" + "\\" + "mdac_typ.exe";
    if (!PathExists(path))
        return 1;

    std::string commandLine = MdacCommandLine(path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The path is also the application name: with a space in the media path,
    // the unquoted command line alone could start C:\Program.exe instead.
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process))
    {
        FrameworkMessageBox("Error launching MDAC installation");
    }
    else
    {
        UniqueKernelHandle processHandle(process.hProcess);
        UniqueKernelHandle threadHandle(process.hThread);
        {
            CProgressDlg progress("Installing Microsoft Data Access Components...", nullptr);
            if (WaitForProcess(window, processHandle.Get()) != 0)
                FrameworkMessageBox(
                    "An error occurred whilst installing the Microsoft Data Access Components.  If the TAVO "
                    "fails to run correctly after installation, try re-running the MDAC installation to "
                    "identify the problem: " +
                    path);
        }
    }
    RepaintEngineWindow(window);
    return 1;
}

std::string MakeTempDirName()
{
    char tempPath[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, tempPath);
    char name[MAX_PATH] = "";
    // The system picks a unique number and creates the file; its name is
    // then free for a directory.
    if (!GetTempFileNameA(tempPath, "TAV", 0, name))
        return std::string();
    std::remove(name);
    return name;
}

int InstallJet(HWND window, const std::string& source)
{
    const std::string jet = source + "jet4" + "\\";
    if (PathExists(jet + "jetsetup.inf"))
    {
        const std::string temp = MakeTempDirName() + "\\";
        if (_mkdir(temp.c_str()) != 0)
        {
            FrameworkMessageBox("Error creating temporary directory " + temp);
        }
        else
        {
            const std::vector<std::string> names = ListedEntries(jet + "*.*");
            bool copied = true;
            for (const std::string& name : names)
            {
                if (!CopyFileA((jet + name).c_str(), (temp + name).c_str(), FALSE))
                {
                    FrameworkMessageBox("Error copying files from " + jet + " to " + temp);
                    copied = false;
                    break;
                }
            }
            if (copied)
            {
                const std::string inf = temp + "jetsetup.inf";
                const std::string library = temp + "advpack.dll";
                UniqueModule advpack(LoadLibraryA(library.c_str()));
                if (!advpack)
                {
                    FrameworkMessageBox("Error loading library " + library);
                }
                else
                {
                    using RunSetupCommandFn =
                        HRESULT(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, HANDLE*, DWORD, LPVOID);
                    const auto runSetupCommand = reinterpret_cast<RunSetupCommandFn>(
                        reinterpret_cast<void*>(GetProcAddress(advpack.Get(), "RunSetupCommand")));
                    if (!runSetupCommand)
                    {
                        FrameworkMessageBox("Unable to load function RunSetupCommand from " + library);
                    }
                    else
                    {
                        HANDLE child = nullptr;
                        // 0x401: an INF file, processed through the setup API.
                        runSetupCommand(window, inf.c_str(), nullptr, temp.c_str(), "Set-up", &child, 0x401, nullptr);
                        UniqueKernelHandle childHandle(child);
                        WaitForProcess(window, childHandle.Get());
                    }
                }
            }
            // Deletes exactly the names of the media's directory; anything the
            // INF processing added keeps the directory in place.
            for (const std::string& name : names)
            {
                MakeWritable(temp + name);
                std::remove((temp + name).c_str());
            }
            _rmdir(temp.c_str());
        }
    }
    InvalidateRect(window, nullptr, TRUE);
    RepaintEngineWindow(window);
    return 1;
}

}   // namespace postinst
