// The three exports of tavoinst.dll (names fixed by tavoinst.def). Each
// catches everything: no exception may reach the installation engine.
#include "installer/post/Module.h"
#include "installer/post/OdbcSetup.h"
#include "core/postinst/PostInstText.h"
#include "installer/post/Registry.h"
#include "installer/post/Steps.h"

using namespace postinst;

namespace
{

LONG PostInstall(HWND window, const char* sourceText, bool& found)
{
    const std::string source = sourceText ? sourceText : "";
    std::string installDir;
    if (!FindInstallDir(installDir))
    {
        DirectMessageBox(window, "Unable to determine installation directory", "Error");
        return 0;
    }
    found = true;
    // No step's result stops a later one: each reports its own failures.
    RegisterFileType(installDir + "\\tavo.exe");
    InstallMdac(window, source);
    InstallJet(window, source);
    for (const OdbcDriverMember& member : kOdbcDrivers)
        InstallOdbcDriver(member);
    CreateDataSource(installDir + "\\tavodemo.mdb");
    CopyDatabase(source, installDir);
    SelectLanguageVersion(window, source, installDir);
    return 1;
}

void RemoveDemonstrationData()
{
    std::string installDir;
    if (!FindInstallDir(installDir))
    {
        FrameworkMessageBox("Unable to determine installation directory");
        return;
    }
    RemoveDataSource("tavodemo");
    std::remove((installDir + "\\tavodemo.mdb").c_str());
}

}   // namespace

extern "C"
{

    BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
    {
        if (reason == DLL_PROCESS_ATTACH)
        {
            SetThisModule(instance);
            DisableThreadLibraryCalls(instance);
        }
        return TRUE;
    }

    LONG WINAPI TAVOPostInst(HWND window, LPVOID /*reserved*/, LPCSTR source)
    {
        bool found = false;
        try
        {
            return PostInstall(window, source, found);
        }
        catch (...)
        {
            // Out of memory at worst: the result still says whether the directory was found.
            return found ? 1 : 0;
        }
    }

    // The uninstallation engine reads 0 as "go on with the removal".
    LONG __cdecl UninstInitialize(void)
    {
        try
        {
            RemoveDemonstrationData();
        }
        catch (...)
        {
        }
        return 0;
    }

    LONG __cdecl UninstUnInitialize(void) { return 0; }

}   // extern "C"
