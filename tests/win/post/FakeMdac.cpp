// Stands in for MDAC\mdac_typ.exe: writes the command line it was given to
// cmdline.txt beside itself and ends with the code read from exitcode.txt.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.resize(dir.rfind('\\') + 1);

    if (FILE* f = std::fopen((dir + "cmdline.txt").c_str(), "wb"))
    {
        std::fputs(GetCommandLineA(), f);
        std::fclose(f);
    }
    unsigned long code = 0;
    if (FILE* f = std::fopen((dir + "exitcode.txt").c_str(), "rb"))
    {
        if (std::fscanf(f, "%lu", &code) != 1)
            code = 0;
        std::fclose(f);
    }
    return static_cast<int>(code);
}
