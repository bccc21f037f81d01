// Stands in for an installer on the media: appends its own path and its
// command line to the file named by TAVOPRE_TEST_RECORD, then exits.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH];
    const DWORD cch = GetEnvironmentVariableA("TAVOPRE_TEST_RECORD", record, sizeof record);
    if (cch == 0 || cch >= sizeof record)
        return 2;
    char self[MAX_PATH];
    if (GetModuleFileNameA(nullptr, self, sizeof self) == 0)
        return 3;
    // Several may start close together: retry while another holds the file.
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        if (FILE* file = std::fopen(record, "ab"))
        {
            std::fprintf(file, "%s\n%s\n", self, GetCommandLineA());
            std::fclose(file);
            return 0;
        }
        Sleep(20);
    }
    return 4;
}
